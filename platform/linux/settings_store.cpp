#include "platform/linux/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

// mkdir -p, private to the user.
void MakeFolders(const std::string& folder) {
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') mkdir(folder.substr(0, i).c_str(), 0700);
    }
}

// The file a chain of links ends at (itself when it is no link); the target may not exist yet.
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

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// The whole of a regular file, opened without waiting (a FIFO or device is refused); the
// system's reason on failure.
bool ReadRegularFile(const std::string& path, std::string* text, std::string* reason) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        *reason = "not a regular file";
        return false;
    }
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *reason = std::strerror(errno);
        return false;
    }
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) *reason = "not a regular file";
    char buffer[65536];
    while (ok) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *reason = std::strerror(errno);
            ok = false;
        }
        if (n <= 0) break;
        text->append(buffer, size_t(n));
    }
    close(fd);
    return ok;
}

}  // namespace

void CFileSettingsStore::LoadOnce() {
    if (m_loaded) return;
    m_loaded = true;
    struct stat st;
    if (stat(m_path.c_str(), &st) != 0 && errno == ENOENT) return;  // none yet (or a loose link)
    std::string text, reason;
    if (!ReadRegularFile(m_path, &text, &reason)) {
        m_writable = false;
        m_readProblem = m_path + ": " + reason;
        return;
    }
    m_data = CSettingsData::Parse(text);
}

bool CFileSettingsStore::WriteFile(const std::string& text) {
    const std::string target = FollowLinks(m_path);
    mode_t mode = 0600;
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists) {
        // A file made read-only, or replaced by something else since, is left alone.
        if (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0) return false;
        mode = st.st_mode & 07777;
    }
    size_t slash = target.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(target.substr(0, slash));
    std::string temp = target + ".tmp" + std::to_string(getpid());
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(temp.c_str(), flags, 0600);
    if (fd < 0 && errno == EEXIST && unlink(temp.c_str()) == 0)
        fd = open(temp.c_str(), flags, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text);
    ok = fchmod(fd, mode) == 0 && ok;
    // The owner is kept where the system allows it.
    if (exists && (st.st_uid != geteuid() || st.st_gid != getegid()))
        (void)!fchown(fd, st.st_uid, st.st_gid);
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

bool CFileSettingsStore::Store(const std::string& section, const std::string& key,
                               const SettingValue& value) {
    if (section.empty() || key.empty()) return false;
    std::lock_guard<std::mutex> lock(m_lock);
    LoadOnce();
    m_data.Set(section, key, value);
    return m_writable && WriteFile(m_data.Render());
}

std::string CFileSettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue) {
    std::lock_guard<std::mutex> lock(m_lock);
    LoadOnce();
    return m_data.String(section, key, defaultValue);
}

int32_t CFileSettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                          int32_t defaultValue) {
    std::lock_guard<std::mutex> lock(m_lock);
    LoadOnce();
    return m_data.Integer(section, key, defaultValue);
}

bool CFileSettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                            const std::string& value) {
    return Store(section, key, SettingValue::Text(value));
}

bool CFileSettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                         int32_t value) {
    return Store(section, key, SettingValue::Number(value));
}

std::string CFileSettingsStore::TakeReadProblem() {
    std::lock_guard<std::mutex> lock(m_lock);
    LoadOnce();
    return std::exchange(m_readProblem, std::string());
}

std::string SettingsFilePath(const std::string& vendor, const std::string& app) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = config && config[0] == '/' ? config : HomeFolder() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/" + vendor + "/" + app + ".ini";
}

}  // namespace platform
