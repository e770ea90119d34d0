#include "fakes/recording_settings_store.h"

namespace platform {

bool RecordingSettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                                const std::string& value) {
    writes.push_back({section, key, SettingValue::Text(value)});
    return CMemorySettingsStore::WriteProfileString(section, key, value);
}

bool RecordingSettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                             int32_t value) {
    writes.push_back({section, key, SettingValue::Number(value)});
    return CMemorySettingsStore::WriteProfileInt(section, key, value);
}

}  // namespace platform
