#pragma once
// The system information service on Linux: the version the port reports and the XDG folders.

#include <string>

#include "platform/system_info.h"

namespace platform {

// Reports version 10.0, service pack 0; the videos folder is XDG_VIDEOS_DIR of user-dirs.dirs,
// else ~/Videos, when that folder exists, and the home folder otherwise.
class CLinuxSystemInfo : public ISystemInfo {
  public:
    bool GetVersionEx(OSVERSIONINFOA* info) override;
    bool GetFolderPath(int csidl, std::string& folder) override;
};

// XDG_VIDEOS_DIR of a user-dirs.dirs text: "$HOME/..." or an absolute path, without a trailing
// separator; empty when the text has no usable entry.
std::string VideosFolderFromUserDirs(const std::string& text, const std::string& home);

}  // namespace platform
