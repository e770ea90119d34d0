#include "fakes/recording_settings_store.h"

namespace platform {

bool RecordingSettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                                const std::string& value) {
    SettingValue v;
    v.text = value;
    writes.push_back({section, key, v});
    return CMemorySettingsStore::WriteProfileString(section, key, value);
}

bool RecordingSettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                             int32_t value) {
    SettingValue v;
    v.isInt = true;
    v.number = value;
    writes.push_back({section, key, v});
    return CMemorySettingsStore::WriteProfileInt(section, key, value);
}

}  // namespace platform
