#include "platform/linux/system_info.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

std::string Home() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "";
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string VideosFolderFromUserDirs(const std::string& text, const std::string& home) {
    std::istringstream lines(text);
    std::string line;
    const std::string key = "XDG_VIDEOS_DIR=";
    while (std::getline(lines, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
            return home.empty() ? "" : WithoutTrailingSlash(home + value.substr(5));
        if (!value.empty() && value[0] == '/') return WithoutTrailingSlash(value);
    }
    return "";
}

bool CLinuxSystemInfo::GetVersionEx(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return false;
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 0;
    info->dwPlatformId = 2;  // VER_PLATFORM_WIN32_NT
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return true;
}

bool CLinuxSystemInfo::GetFolderPath(int csidl, std::string& folder) {
    std::string home = Home();
    if (csidl == CSIDL_PROFILE) {
        if (home.empty()) return false;
        folder = WithoutTrailingSlash(home);
        return true;
    }
    if (csidl != CSIDL_MYVIDEO) return false;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string dirs =
        (config && config[0] == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::string videos;
    if (std::ifstream in(dirs); in) {
        std::ostringstream text;
        text << in.rdbuf();
        videos = VideosFolderFromUserDirs(text.str(), home);
    }
    if (videos.empty() && !home.empty()) videos = WithoutTrailingSlash(home) + "/Videos";
    // A videos folder that is not there would make the first join fail: the home folder instead.
    struct stat st;
    if (!videos.empty() && stat(videos.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        folder = videos;
        return true;
    }
    if (home.empty()) return false;
    folder = WithoutTrailingSlash(home);
    return true;
}

}  // namespace platform
