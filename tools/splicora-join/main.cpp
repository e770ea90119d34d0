// splicora-join: one whole join from the command line, as the Merge command runs it.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "join_checks.h"
#include "merger.h"
#include "platform/linux/stop_signals.h"
#include "platform/memory_tuning.h"
#include "platform/services.h"
#include "progress_line.h"
#include "report_error.h"
#include "run_join.h"

namespace {

constexpr int kExitJoined = 0;
constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;

void Usage(FILE* to) {
    std::fprintf(
        to,
        "usage: splicora-join [--force] [--gapless] OUTPUT INPUT1 INPUT2 [INPUT...]\n"
        "Joins Windows Media files with the same streams into OUTPUT, in the given order,\n"
        "without re-encoding. --force replaces an existing OUTPUT. --gapless starts each\n"
        "input where the one before it ends, not at the next whole second.\n");
}

int Refuse(const char* format, const char* a, int n = 0, const char* b = "") {
    std::fprintf(stderr, "splicora-join: ");
    std::fprintf(stderr, format, a, n, b);
    std::fputc('\n', stderr);
    return kExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
    platform::TuneAllocatorForStreaming();
    // The engine's messages go to standard error.
    platform::ConsoleMessageBox console;
    platform::Services services;
    services.messageBox = &console;
    platform::ScopedServices installed(services);
    const std::atomic<bool>& stop = platform::CatchStopSignals();
    bool force = false;
    bool gapless = false;
    std::vector<const char*> names;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (options && std::strcmp(a, "--") == 0) {
            options = false;
        } else if (options && std::strcmp(a, "--force") == 0) {
            force = true;
        } else if (options && std::strcmp(a, "--gapless") == 0) {
            gapless = true;
        } else if (options && (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0)) {
            Usage(stdout);
            return kExitJoined;
        } else if (options && a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "splicora-join: unknown option %s\n", a);
            Usage(stderr);
            return kExitRefused;
        } else {
            names.push_back(a);
        }
    }
    if (names.size() < 3) {
        Usage(stderr);
        return kExitRefused;
    }
    const char* output = names[0];
    const int count = int(names.size()) - 1;
    if (count > engine::kMaxInputFiles)
        return Refuse("at most %s input files can be joined",
                      std::to_string(engine::kMaxInputFiles).c_str());
    for (const char* name : names)
        if (engine::CharacterCount(name) >= engine::kMaxPath ||
            std::strlen(name) >= sizeof(engine::PathSlot))
            return Refuse("file name too long (at most 259 characters): %s", name);

    std::unique_ptr<engine::PathSlot[]> table(new engine::PathSlot[count]());
    for (int k = 0; k < count; ++k) std::strcpy(table[k], names[k + 1]);

    // Nothing is written before these checks pass.
    if (Failed(engine::CheckJoinNames(table[0], table[1], output))) return kExitRefused;
    for (int k = 0; k < count; ++k)
        if (engine::IsSameFile(output, table[k]))
            return Refuse("output file %s is the same file as input %d (%s); this is not allowed",
                          output, k + 1, table[k]);
    struct stat existing;
    if (lstat(output, &existing) == 0) {  // a link that leads nowhere is there all the same
        if (stat(output, &existing) == 0 && S_ISDIR(existing.st_mode))
            return Refuse("output %s is a folder", output);
        if (!force)
            return Refuse("output file %s already exists; give --force to replace it", output);
    }

    HRESULT hr;
    std::vector<std::string> placement, damage;
    {
        engine::CMerger merger;
        merger.m_inputPaths = table.get();
        merger.m_inputCount = count;
        merger.SetGapless(gapless);
        merger.SetStopFlag(&stop);
        {
            CProgressLine progress(merger);
            hr = engine::RunJoin(merger, table.get()[0], table.get()[1], output, force);
        }
        // A join that succeeded holds every input whole.
        for (int k = 0; k < count && Succeeded(hr); ++k) {
            char line[400];
            QWORD at = merger.InputOffset(k);
            std::snprintf(line, sizeof line, "input %d at %llu.%03llu s: %s", k + 1,
                          static_cast<unsigned long long>(at / engine::kClockStep),
                          static_cast<unsigned long long>(at % engine::kClockStep / 10000),
                          table[k]);
            placement.emplace_back(line);
        }
        if (Succeeded(hr)) damage = engine::DamagedInputLines(merger);
    }
    for (const std::string& line : placement) std::printf("%s\n", line.c_str());
    for (const std::string& line : damage)
        std::fprintf(stderr, "splicora-join: %s\n", line.c_str());
    if (Failed(hr)) {
        if (int signal = platform::StopSignal()) {
            std::fprintf(stderr, "splicora-join: interrupted; nothing was written to %s\n", output);
            return 128 + signal;
        }
        std::fprintf(stderr, "splicora-join: join failed (hr=0x%08x); nothing was written to %s\n",
                     unsigned(hr), output);
        return kExitFailed;
    }
    return kExitJoined;
}
