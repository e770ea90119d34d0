#pragma once
// The shell service on Linux: xdg-open and programs started detached.

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
// be started (not found, not executable).
bool StartDetached(const std::vector<std::string>& argv);

}  // namespace platform
