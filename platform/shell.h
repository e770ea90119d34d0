#pragma once
// Opening documents and starting programs (ShellExecuteA "open" and WinExec) as one service; the
// caller never waits for what it started.

#include <string>
#include <vector>

namespace platform {

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a file or web address with the user's program for it. Above 32 when the opener was
    // started, 32 or less when it could not be.
    virtual int ShellExecuteOpen(const std::string& target) = 0;
    // Starts argv[0] with the other arguments as they are (no shell, no word splitting). Above
    // 31 when started.
    virtual int WinExec(const std::vector<std::string>& argv) = 0;
};

}  // namespace platform
