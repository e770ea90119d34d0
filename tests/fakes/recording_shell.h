#pragma once
// A shell that records each call and answers from results (33, started, once they run out).

#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform {

class RecordingShell : public IShell {
  public:
    int ShellExecuteOpen(const std::string& target) override;
    int WinExec(const std::vector<std::string>& argv) override;
    std::vector<std::vector<std::string>> calls;  // {"open", target} or the argv
    std::vector<int> results;
};

}  // namespace platform
