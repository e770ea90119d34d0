#pragma once
// The settings store on Linux: one file per program, $XDG_CONFIG_HOME/<vendor>/<app>.ini
// (default ~/.config).

#include <string>
#include <utility>

#include "platform/settings_store.h"

namespace platform {

// The store in one file. Each read reads the file and each write rewrites it whole through a
// temporary file and a rename, so a crash never leaves half a file.
class CFileSettingsStore : public ISettingsStore {
  public:
    explicit CFileSettingsStore(std::string path) : m_path(std::move(path)) {}
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) override;
    int32_t GetProfileInt(const std::string& section, const std::string& key,
                          int32_t defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;
    bool WriteProfileInt(const std::string& section, const std::string& key,
                         int32_t value) override;
    const std::string& Path() const { return m_path; }

  private:
    CSettingsData Load() const;
    bool Store(const std::string& section, const std::string& key, const SettingValue& value);
    std::string m_path;
};

// $XDG_CONFIG_HOME/<vendor>/<app>.ini; XDG_CONFIG_HOME unset, empty or relative means ~/.config.
std::string SettingsFilePath(const std::string& vendor, const std::string& app);

}  // namespace platform
