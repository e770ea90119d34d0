#pragma once
// The settings store on Linux: one file per program, $XDG_CONFIG_HOME/<vendor>/<app>.ini
// (default ~/.config).

#include <mutex>
#include <string>
#include <utility>

#include "platform/settings_store.h"

namespace platform {

// The store in one file, read once at first use; each write rewrites it whole through a temporary
// file and a rename, so a crash never leaves half a file. A link is followed (its target is
// rewritten), the file keeps its mode, and a file that exists but cannot be read (not a regular
// file, no permission) is never written: the store then keeps its values in memory only.
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
    std::string TakeReadProblem() override;
    const std::string& Path() const { return m_path; }

  private:
    // Reads the file once; call with m_lock held.
    void LoadOnce();
    bool Store(const std::string& section, const std::string& key, const SettingValue& value);
    bool WriteFile(const std::string& text);
    std::string m_path;
    std::mutex m_lock;
    bool m_loaded = false;
    bool m_writable = true;
    std::string m_readProblem;  // reported once
    CSettingsData m_data;
};

// $XDG_CONFIG_HOME/<vendor>/<app>.ini; XDG_CONFIG_HOME unset, empty or relative means ~/.config.
std::string SettingsFilePath(const std::string& vendor, const std::string& app);

}  // namespace platform
