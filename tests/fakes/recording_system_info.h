#pragma once
// System information that answers as set and counts the calls.

#include <cstdint>
#include <string>

#include "platform/system_info.h"

namespace platform {

class RecordingSystemInfo : public ISystemInfo {
  public:
    bool GetVersionEx(OSVERSIONINFOA* info) override;
    bool GetFolderPath(int csidl, std::string& folder) override;
    bool versionResult = true;
    uint32_t majorVersion = 10;
    bool folderResult = true;
    std::string videosFolder = "/home/user/Videos";
    std::string homeFolder = "/home/user";
    int versionCalls = 0;
    int folderCalls = 0;
};

}  // namespace platform
