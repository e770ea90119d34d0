// splicora-join: one whole join from the command line, as the Merge command runs it.
#include <sys/stat.h>

#include <cstdarg>
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
        "usage: splicora-join [--force] [--gapless] [--part-markers] OUTPUT INPUT1 INPUT2 "
        "[INPUT...]\n"
        "Joins Windows Media files with the same streams into OUTPUT, in the given order,\n"
        "without re-encoding. --force replaces an existing OUTPUT. --gapless starts each\n"
        "input where the one before it ends, not at the next whole second. --part-markers\n"
        "adds a marker at the start of each input, named after its file.\n");
}

// Writes "splicora-join: MESSAGE" as one line on standard error; returns exitCode.
__attribute__((format(printf, 2, 3))) int Say(int exitCode, const char* format, ...) {
    std::fputs("splicora-join: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    return exitCode;
}

// Returned by the steps before the join when it may go on.
constexpr int kGoOn = -1;

struct JoinRequest {
    bool force = false;
    bool gapless = false;
    bool partMarkers = false;
    std::vector<const char*> names;   // OUTPUT, then the inputs
    std::vector<std::string> inputs;  // the inputs, once checked
    const char* Output() const { return names[0]; }
    int InputCount() const { return int(names.size()) - 1; }
};

// The options and names; kGoOn, or the exit code when there is nothing to join.
int ParseArguments(int argc, char** argv, JoinRequest& request) {
    std::vector<const char*>& names = request.names;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (options && std::strcmp(a, "--") == 0) {
            options = false;
        } else if (options && std::strcmp(a, "--force") == 0) {
            request.force = true;
        } else if (options && std::strcmp(a, "--gapless") == 0) {
            request.gapless = true;
        } else if (options && std::strcmp(a, "--part-markers") == 0) {
            request.partMarkers = true;
        } else if (options && (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0)) {
            Usage(stdout);
            return kExitJoined;
        } else if (options && a[0] == '-' && a[1] != '\0') {
            Say(kExitRefused, "unknown option %s", a);
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
    return kGoOn;
}

// The limits, the names and the output's place, before anything is written; kGoOn or
// kExitRefused. Fills the request's inputs.
int CheckRequest(JoinRequest& request) {
    const char* output = request.Output();
    const int count = request.InputCount();
    if (count > engine::kMaxInputFiles)
        return Say(kExitRefused, "at most %d input files can be joined", engine::kMaxInputFiles);
    for (const char* name : request.names)
        if (engine::CharacterCount(name) >= engine::kMaxPath ||
            std::strlen(name) >= sizeof(engine::PathSlot))
            return Say(kExitRefused, "file name too long (at most 259 characters): %s", name);

    request.inputs.assign(request.names.begin() + 1, request.names.end());
    const std::vector<std::string>& inputs = request.inputs;
    if (Failed(engine::CheckJoinNames(inputs[0].c_str(), inputs[1].c_str(), output)))
        return kExitRefused;
    for (int k = 0; k < count; ++k)
        if (engine::IsSameFile(output, inputs[k].c_str()))
            return Say(kExitRefused,
                       "output file %s is the same file as input %d (%s); this is not allowed",
                       output, k + 1, inputs[k].c_str());
    struct stat existing;
    if (lstat(output, &existing) == 0) {  // a link that leads nowhere is there all the same
        if (stat(output, &existing) == 0 && S_ISDIR(existing.st_mode))
            return Say(kExitRefused, "output %s is a folder", output);
        if (!request.force)
            return Say(kExitRefused, "output file %s already exists; give --force to replace it",
                       output);
    }
    return kGoOn;
}

struct JoinOutcome {
    HRESULT hr = S_OK;
    std::vector<std::string> placement;  // where each input went, when the join succeeded
    std::vector<std::string> damage;     // the damaged inputs
};

JoinOutcome RunRequest(const JoinRequest& request, const std::atomic<bool>& stop) {
    const std::vector<std::string>& inputs = request.inputs;
    const int count = request.InputCount();
    JoinOutcome outcome;
    engine::CMerger merger;
    merger.SetInputPaths(inputs);
    merger.SetGapless(request.gapless);
    merger.SetPartMarkers(request.partMarkers);
    merger.SetStopFlag(&stop);
    {
        CProgressLine progress(merger);
        outcome.hr = engine::RunJoin(merger, inputs[0].c_str(), inputs[1].c_str(), request.Output(),
                                     request.force);
    }
    if (Failed(outcome.hr)) return outcome;
    // A join that succeeded holds every input whole.
    for (int k = 0; k < count; ++k) {
        char line[400];
        QWORD at = merger.InputOffset(k);
        std::snprintf(line, sizeof line, "input %d at %llu.%03llu s: %s", k + 1,
                      static_cast<unsigned long long>(at / engine::kClockStep),
                      static_cast<unsigned long long>(at % engine::kClockStep / 10000),
                      inputs[k].c_str());
        outcome.placement.emplace_back(line);
    }
    outcome.damage = engine::DamagedInputLines(merger);
    return outcome;
}

int Report(const JoinOutcome& outcome, const char* output) {
    for (const std::string& line : outcome.placement) std::printf("%s\n", line.c_str());
    for (const std::string& line : outcome.damage) Say(kExitJoined, "%s", line.c_str());
    if (Succeeded(outcome.hr)) return kExitJoined;
    if (int signal = platform::StopSignal())
        return Say(128 + signal, "interrupted; nothing was written to %s", output);
    return Say(kExitFailed, "join failed (hr=0x%08x); nothing was written to %s",
               unsigned(outcome.hr), output);
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
    JoinRequest request;
    if (int code = ParseArguments(argc, argv, request); code != kGoOn) return code;
    if (int code = CheckRequest(request); code != kGoOn) return code;
    return Report(RunRequest(request, stop), request.Output());
}
