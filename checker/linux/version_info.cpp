#include <cstring>

#include "checker/linux/linux_platform.h"

// The port follows a current Windows: 10.0, no Service Pack.
namespace kolvex {

namespace {

template <typename Record>
void FillCommon(Record* info) {
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
}

}  // namespace

BOOL CLinuxPlatform::GetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    FillCommon(info);
    return TRUE;
}

BOOL CLinuxPlatform::GetVersionExA(OSVERSIONINFOEXA* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA)) return FALSE;
    FillCommon(info);
    info->wServicePackMajor = 0;
    info->wServicePackMinor = 0;
    info->wSuiteMask = 0;
    info->wProductType = 1;  // workstation
    info->wReserved = 0;
    return TRUE;
}

}  // namespace kolvex
