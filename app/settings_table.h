#pragma once
// Every value the program keeps between runs: section, key, type and the default when absent.
// The font keys live in a section named after the current interface language.

#include <cstdint>

namespace app {

constexpr const char* kRegistryKey = "Quorvel";

constexpr const char* kSectionOption = "Option";
constexpr const char* kKeyCurrentLanguage = "CurrentLanguage";
constexpr const char* kKeyOutputFile = "output_cut_file";
constexpr const char* kKeyLastFolder = "LastFolder";

constexpr const char* kDefaultLanguage = "english";
// The fixed output name of the older systems; the video folder's name replaces it on current ones.
constexpr const char* kDefaultOutputName = "/splicora.wmv";

enum class SettingType { String, Integer };

struct SettingKey {
    const char* section;  // nullptr: the current language's name
    const char* key;
    SettingType type;
    int32_t defaultNumber;
    const char* defaultText;  // nullptr for integers and computed defaults
};

constexpr SettingKey kSettingKeys[] = {
    {kSectionOption, kKeyCurrentLanguage, SettingType::String, 0, kDefaultLanguage},
    {kSectionOption, kKeyOutputFile, SettingType::String, 0, nullptr},
    {kSectionOption, kKeyLastFolder, SettingType::String, 0, ""},
    {nullptr, "lfHeight", SettingType::Integer, -11, nullptr},
    {nullptr, "lfWidth", SettingType::Integer, 0, nullptr},
    {nullptr, "lfEscapement", SettingType::Integer, 0, nullptr},
    {nullptr, "lfOrientation", SettingType::Integer, 0, nullptr},
    {nullptr, "lfWeight", SettingType::Integer, 400, nullptr},
    {nullptr, "lfItalic", SettingType::Integer, 0, nullptr},
    {nullptr, "lfUnderline", SettingType::Integer, 0, nullptr},
    {nullptr, "lfStrikeOut", SettingType::Integer, 0, nullptr},
    {nullptr, "lfCharSet", SettingType::Integer, 1, nullptr},
    {nullptr, "lfOutPrecision", SettingType::Integer, 0, nullptr},
    {nullptr, "lfClipPrecision", SettingType::Integer, 0, nullptr},
    {nullptr, "lfPitchAndFamily", SettingType::Integer, 0, nullptr},
    {nullptr, "lfFaceName", SettingType::String, 0, "Microsoft Sans Serif"},
};

}  // namespace app
