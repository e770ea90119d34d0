#include "platform/linux/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "runtime/asf/replacement_file.h"

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
    asf::ReplacementFile temp;
    asf::Descriptor fd = temp.Create(m_path, ".tmp-", 0600, asf::ReplacementFile::Links::Follow);
    const std::string& target = temp.Target();
    if (!fd && errno == ENOENT) {
        size_t slash = target.rfind('/');
        if (slash != std::string::npos && slash > 0) MakeFolders(target.substr(0, slash));
        fd = temp.Create(m_path, ".tmp-", 0600, asf::ReplacementFile::Links::Follow);
    }
    if (!fd) return false;
    struct stat st;
    if (stat(target.c_str(), &st) == 0) {
        // A file made read-only, or replaced by something else since, is left alone.
        if (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0) return false;
        if (!asf::ReplacementFile::TakeModeAndOwner(fd.Get(), st)) return false;
    } else if (fchmod(fd.Get(), 0600) != 0) {
        return false;
    }
    bool ok = WriteAll(fd.Get(), text) && fsync(fd.Get()) == 0;
    ok = close(fd.Release()) == 0 && ok;
    return ok && temp.Commit();
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
