#include "platform/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "text/case_blind.h"

namespace platform {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

template <typename Visit>
bool ForEachEntry(const std::string& folder, Visit visit) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "/" : folder.c_str()));
    if (!dir) return false;
    while (const dirent* entry = readdir(dir.get())) visit(std::string_view(entry->d_name));
    return true;
}

}  // namespace

bool FindFilesWithSuffix(const std::string& folder, std::string_view suffix,
                         std::vector<std::string>& names) {
    bool found = false;
    ForEachEntry(folder, [&](std::string_view name) {
        if (name.size() >= suffix.size() &&
            text::SameIgnoringCase(name.substr(name.size() - suffix.size()), suffix)) {
            names.emplace_back(name);
            found = true;
        }
    });
    return found;
}

std::string ResolvePathCaseBlind(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return path;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string_view leaf = slash == std::string::npos ? std::string_view(path)
                                                       : std::string_view(path).substr(slash + 1);
    std::string best;
    ForEachEntry(folder, [&](std::string_view name) {
        if (text::SameIgnoringCase(name, leaf) && (best.empty() || name < best)) best = name;
    });
    if (best.empty()) return path;
    return slash == std::string::npos ? best : path.substr(0, slash + 1) + best;
}

}  // namespace platform
