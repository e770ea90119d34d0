// Runs a fuzz target over files and folders of inputs, the way libFuzzer replays a corpus, for
// builds without libFuzzer. -timeout=N (seconds, as libFuzzer's) fails an input that runs longer.
// Exits non-zero when an input is missing or too slow; a fault in the target aborts.

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

char g_current[4096];

void OnAlarm(int) {
    static const char kWhat[] = "timeout: input runs too long: ";
    (void)!write(2, kWhat, sizeof kWhat - 1);
    (void)!write(2, g_current, strlen(g_current));
    (void)!write(2, "\n", 1);
    _exit(70);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    unsigned timeout = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-timeout=", 9) == 0) {
            timeout = static_cast<unsigned>(std::atoi(argv[i] + 9));
            continue;
        }
        fs::path p(argv[i]);
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            for (const auto& e : fs::directory_iterator(p, ec))
                if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                    inputs.push_back(e.path());
        } else if (fs::is_regular_file(p, ec)) {
            inputs.push_back(p);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    std::signal(SIGALRM, OnAlarm);
    for (const fs::path& p : inputs) {
        std::ifstream f(p, std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(f), {}};
        std::snprintf(g_current, sizeof g_current, "%s", p.c_str());
        std::fprintf(stderr, "%s\n", g_current);
        // A copy sized to the input, so a read past its end is caught as under libFuzzer.
        std::vector<uint8_t> exact(bytes);
        alarm(timeout);
        LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
        alarm(0);
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
