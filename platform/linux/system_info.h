#pragma once
// The version query and the videos folder: GetVersionExA and SHGetFolderPathA(CSIDL_MYVIDEO).

#include <cstdint>
#include <string>

namespace platform {

constexpr int CSIDL_MYVIDEO = 14;
constexpr int CSIDL_PROFILE = 0x28;  // the user's home folder

struct OSVERSIONINFOA {
    uint32_t dwOSVersionInfoSize;
    uint32_t dwMajorVersion;
    uint32_t dwMinorVersion;
    uint32_t dwBuildNumber;
    uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA keeps the Win32 size");

class ISystemInfo {
  public:
    virtual ~ISystemInfo() = default;
    // Fills info; false when its size field is not 148.
    virtual bool GetVersionEx(OSVERSIONINFOA* info) = 0;
    // The folder of a CSIDL id without a trailing separator; false when it cannot be found.
    virtual bool GetFolderPath(int csidl, std::string& folder) = 0;
};

// Reports version 10.0, service pack 0; the videos folder is XDG_VIDEOS_DIR of user-dirs.dirs,
// else ~/Videos, when that folder exists, and the home folder otherwise.
class CLinuxSystemInfo : public ISystemInfo {
  public:
    bool GetVersionEx(OSVERSIONINFOA* info) override;
    bool GetFolderPath(int csidl, std::string& folder) override;
};

// Answers as set; counts the calls.
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

// XDG_VIDEOS_DIR of a user-dirs.dirs text: "$HOME/..." or an absolute path, without a trailing
// separator; empty when the text has no usable entry.
std::string VideosFolderFromUserDirs(const std::string& text, const std::string& home);

}  // namespace platform
