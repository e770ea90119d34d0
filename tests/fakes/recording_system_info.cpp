#include "fakes/recording_system_info.h"

namespace platform {

bool RecordingSystemInfo::GetVersionEx(OSVERSIONINFOA* info) {
    ++versionCalls;
    if (!versionResult || !info) return false;
    info->dwMajorVersion = majorVersion;
    info->dwMinorVersion = 0;
    return true;
}

bool RecordingSystemInfo::GetFolderPath(int csidl, std::string& folder) {
    if (csidl == CSIDL_PROFILE) {
        folder = homeFolder;
        return !homeFolder.empty();
    }
    ++folderCalls;
    if (folderResult) folder = videosFolder;
    return folderResult;
}

}  // namespace platform
