#pragma once
// Opening documents and starting programs: ShellExecuteA "open" and WinExec on Linux, both
// started detached (the caller never waits for them).

#include <string>
#include <vector>

namespace platform {

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a file or web address with the user's program for it (xdg-open). Above 32 when the
    // opener was started, 32 or less when it could not be.
    virtual int ShellExecuteOpen(const std::string& target) = 0;
    // Starts argv[0] with the other arguments as they are (no shell, no word splitting). Above
    // 31 when started.
    virtual int WinExec(const std::vector<std::string>& argv) = 0;
};

class CLinuxShell : public IShell {
  public:
    int ShellExecuteOpen(const std::string& target) override;
    int WinExec(const std::vector<std::string>& argv) override;
};

// Records each call; answers from results (33 once they run out).
class RecordingShell : public IShell {
  public:
    int ShellExecuteOpen(const std::string& target) override;
    int WinExec(const std::vector<std::string>& argv) override;
    std::vector<std::vector<std::string>> calls;  // {"open", target} or the argv
    std::vector<int> results;
};

// Starts the program in a session of its own and reaps it when it ends; false when it could not
// be started (not found, not executable).
bool StartDetached(const std::vector<std::string>& argv);

}  // namespace platform
