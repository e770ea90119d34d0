#include "replacement_file.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace asf {

namespace {

// The file a chain of links ends at (path itself when it is no link); it may not exist yet.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(size_t(st.st_size) + 256, '\0');
        ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || size_t(n) >= target.size()) break;
        target.resize(size_t(n));
        size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target
                                                              : path.substr(0, slash + 1) + target;
    }
    return path;
}

}  // namespace

Descriptor ReplacementFile::Create(const std::string& target, const char* tag, mode_t mode,
                                   Links links) {
    Remove();
    m_target = links == Links::Follow ? FollowLinks(target) : target;
    return CreateFileBeside(m_target, tag, mode, m_path);
}

bool ReplacementFile::TakeModeAndOwner(int fd, const struct stat& original) {
    mode_t mode = original.st_mode & 07777;
    struct stat now;
    bool sameOwner =
        fstat(fd, &now) == 0 && now.st_uid == original.st_uid && now.st_gid == original.st_gid;
    if (!sameOwner && fchown(fd, original.st_uid, original.st_gid) != 0) mode &= ~mode_t(06000);
    return fchmod(fd, mode) == 0;
}

bool ReplacementFile::Commit(bool replace) {
    if (m_path.empty()) {
        errno = ENOENT;
        return false;
    }
    if (!MoveIntoPlace(m_path, m_target, replace)) return false;
    m_path.clear();
    return true;
}

std::string ReplacementFile::Keep() { return std::exchange(m_path, std::string()); }

void ReplacementFile::Remove() {
    if (m_path.empty()) return;
    int saved = errno;  // the caller's reason outlives the removal
    unlink(m_path.c_str());
    m_path.clear();
    errno = saved;
}

}  // namespace asf
