#include "fakes/recording_shell.h"

namespace platform {

int RecordingShell::ShellExecuteOpen(const std::string& target) {
    calls.push_back({"open", target});
    size_t i = calls.size() - 1;
    return i < results.size() ? results[i] : 33;
}

int RecordingShell::WinExec(const std::vector<std::string>& argv) {
    calls.push_back(argv);
    size_t i = calls.size() - 1;
    return i < results.size() ? results[i] : 33;
}

}  // namespace platform
