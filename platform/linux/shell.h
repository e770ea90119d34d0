#pragma once
// The shell service on Linux: xdg-open and programs started detached. A program that fails
// within a second (xdg-open finding no program to open with) counts as not started.

#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform {

class CLinuxShell : public IShell {
  public:
    int ShellExecuteOpen(const std::string& target) override;
    int WinExec(const std::vector<std::string>& argv) override;
};

// Starts the program in a session of its own and reaps it when it ends; false when it could not
// be started (not found, not executable) or failed within settleMs (ended with a non-zero status).
// One still running then counts as started.
bool StartDetached(const std::vector<std::string>& argv, int settleMs = 0);

}  // namespace platform
