#include "app/path_names.h"

#include <filesystem>
#include <system_error>

#include "platform/file_helpers.h"

namespace app {

namespace {

std::string LastComponent(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int GetExtension(const std::string& path, std::string& ext) {
    if (path.empty()) return 0;
    std::string name = LastComponent(path);
    size_t dot = name.rfind('.');
    ext = dot == std::string::npos ? "" : name.substr(dot);
    return 1;
}

int GetDisplayName(const std::string& path, std::string& out) {
    if (path.empty()) return 0;
    out = LastComponent(path);
    return 1;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string FileNameWithSlash(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(slash);
}

int HasMediaExtension(const std::string& path) {
    std::string lower = path;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    for (const char* ext : {".wmv", ".asf", ".wma"})
        if (lower.find(ext) != std::string::npos) return 1;
    return 0;
}

std::string GetBaseFolder(const std::string& executablePath) {
    size_t slash = executablePath.rfind('/');
    std::string programFolder =
        slash == std::string::npos ? executablePath : executablePath.substr(0, slash);
    size_t parentSlash = programFolder.rfind('/');
    std::string parent =
        parentSlash == std::string::npos ? programFolder : programFolder.substr(0, parentSlash);
    std::string base =
        platform::FileExists(parent + "/language/English.ini") ? parent : programFolder;
    // An installed program (<prefix>/bin) keeps its files in <prefix>/share/splicora.
    std::error_code error;
    std::string installed = parent + "/share/splicora";
    if (!std::filesystem::is_directory(base + "/language", error) &&
        std::filesystem::is_directory(installed + "/language", error))
        return installed;
    return base;
}

}  // namespace app
