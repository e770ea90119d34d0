#pragma once
// Every value the program keeps between runs: section, key, type and the default when absent.
// The interface font's thirteen keys, in a section named after the current interface language,
// are in i18n/font_keys.h.

#include <cstdint>

namespace app {

constexpr const char* kRegistryKey = "Quorvel";

constexpr const char* kSectionOption = "Option";
constexpr const char* kKeyCurrentLanguage = "CurrentLanguage";
constexpr const char* kKeyOutputFile = "output_cut_file";
constexpr const char* kKeyLastFolder = "LastFolder";
constexpr const char* kKeyGapless = "Gapless";  // 1: each input starts where the last one ends
constexpr const char* kKeyPartMarkers = "PartMarkers";  // 1: a marker where each input starts

constexpr const char* kDefaultLanguage = "english";
// The fixed output name of the older systems, in the home folder; the video folder's name replaces
// it on current ones.
constexpr const char* kDefaultOutputName = "/splicora.wmv";

enum class SettingType { String, Integer };

struct SettingKey {
    const char* section;
    const char* key;
    SettingType type;
    int32_t defaultNumber;
    const char* defaultText;  // nullptr for integers and computed defaults
};

constexpr SettingKey kSettingKeys[] = {
    {kSectionOption, kKeyCurrentLanguage, SettingType::String, 0, kDefaultLanguage},
    {kSectionOption, kKeyOutputFile, SettingType::String, 0, nullptr},
    {kSectionOption, kKeyLastFolder, SettingType::String, 0, ""},
    {kSectionOption, kKeyGapless, SettingType::Integer, 0, nullptr},
    {kSectionOption, kKeyPartMarkers, SettingType::Integer, 0, nullptr},
};

}  // namespace app
