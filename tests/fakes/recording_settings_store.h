#pragma once
// A settings store in memory that records every write in order.

#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace platform {

class RecordingSettingsStore : public CMemorySettingsStore {
  public:
    struct Write {
        std::string section, key;
        SettingValue value;
    };
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;
    bool WriteProfileInt(const std::string& section, const std::string& key,
                         int32_t value) override;
    std::vector<Write> writes;
};

}  // namespace platform
