#include "platform/settings_store.h"

namespace platform {

std::string CMemorySettingsStore::GetProfileString(const std::string& section,
                                                   const std::string& key,
                                                   const std::string& defaultValue) {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_data.String(section, key, defaultValue);
}

int32_t CMemorySettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                            int32_t defaultValue) {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_data.Integer(section, key, defaultValue);
}

bool CMemorySettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                              const std::string& value) {
    // Refused as the file store refuses it: an empty name could not be read back from a file.
    if (section.empty() || key.empty()) return false;
    std::lock_guard<std::mutex> hold(m_lock);
    m_data.Set(section, key, SettingValue::Text(value));
    return true;
}

bool CMemorySettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                           int32_t value) {
    if (section.empty() || key.empty()) return false;
    std::lock_guard<std::mutex> hold(m_lock);
    m_data.Set(section, key, SettingValue::Number(value));
    return true;
}

}  // namespace platform
