#pragma once
// The version query and the known folders (GetVersionExA, SHGetFolderPathA) as one service.

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

}  // namespace platform
