#include "platform/linux/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

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

}  // namespace

CSettingsData CFileSettingsStore::Load() const {
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return CSettingsData::Parse(text.str());
}

bool CFileSettingsStore::Store(const std::string& section, const std::string& key,
                               const SettingValue& value) {
    if (section.empty() || key.empty()) return false;
    CSettingsData data = Load();
    data.Set(section, key, value);
    std::string text = data.Render();
    size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(m_path.substr(0, slash));
    std::string temp = m_path + ".tmp" + std::to_string(getpid());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += size_t(n);
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temp.c_str(), m_path.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

std::string CFileSettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue) {
    return Load().String(section, key, defaultValue);
}

int32_t CFileSettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                          int32_t defaultValue) {
    return Load().Integer(section, key, defaultValue);
}

bool CFileSettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                            const std::string& value) {
    return Store(section, key, SettingValue::Text(value));
}

bool CFileSettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                         int32_t value) {
    return Store(section, key, SettingValue::Number(value));
}

std::string SettingsFilePath(const std::string& vendor, const std::string& app) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = config && config[0] == '/' ? config : HomeFolder() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/" + vendor + "/" + app + ".ini";
}

}  // namespace platform
