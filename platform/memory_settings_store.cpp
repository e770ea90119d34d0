#include "platform/settings_store.h"

namespace platform {

std::string CMemorySettingsStore::GetProfileString(const std::string& section,
                                                   const std::string& key,
                                                   const std::string& defaultValue) {
    std::lock_guard<std::mutex> hold(m_lock);
    const SettingValue* v = m_data.Find(section, key);
    return v && !v->isInt ? v->text : defaultValue;
}

int32_t CMemorySettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                            int32_t defaultValue) {
    std::lock_guard<std::mutex> hold(m_lock);
    const SettingValue* v = m_data.Find(section, key);
    return v ? AsInteger(*v).value_or(defaultValue) : defaultValue;
}

bool CMemorySettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                              const std::string& value) {
    // Refused as the file store refuses it: an empty name could not be read back from a file.
    if (section.empty() || key.empty()) return false;
    SettingValue v;
    v.text = value;
    std::lock_guard<std::mutex> hold(m_lock);
    m_data.Set(section, key, v);
    return true;
}

bool CMemorySettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                           int32_t value) {
    if (section.empty() || key.empty()) return false;
    SettingValue v;
    v.isInt = true;
    v.number = value;
    std::lock_guard<std::mutex> hold(m_lock);
    m_data.Set(section, key, v);
    return true;
}

}  // namespace platform
