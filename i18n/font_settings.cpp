// The interface font of each language, kept in the settings section named after the language.

#include <cstdint>
#include <variant>

#include "i18n/language_table.h"
#include "platform/ini_reader.h"
#include "platform/linux/settings_store.h"
#include "platform/message_box.h"

namespace {

using WideField = int32_t LOGFONTA::*;
using ByteField = uint8_t LOGFONTA::*;

struct FontKey {
    const char* key;
    std::variant<WideField, ByteField> field;
    int32_t defaultValue;
};

// In the order they are written. lfQuality is not stored: it always loads as DEFAULT_QUALITY.
constexpr FontKey kFontKeys[] = {
    {"lfHeight", &LOGFONTA::lfHeight, -11},
    {"lfWidth", &LOGFONTA::lfWidth, 0},
    {"lfEscapement", &LOGFONTA::lfEscapement, 0},
    {"lfOrientation", &LOGFONTA::lfOrientation, 0},
    {"lfWeight", &LOGFONTA::lfWeight, FW_NORMAL},
    {"lfItalic", &LOGFONTA::lfItalic, 0},
    {"lfUnderline", &LOGFONTA::lfUnderline, 0},
    {"lfStrikeOut", &LOGFONTA::lfStrikeOut, 0},
    {"lfCharSet", &LOGFONTA::lfCharSet, DEFAULT_CHARSET},
    {"lfOutPrecision", &LOGFONTA::lfOutPrecision, 0},
    {"lfClipPrecision", &LOGFONTA::lfClipPrecision, 0},
    {"lfPitchAndFamily", &LOGFONTA::lfPitchAndFamily, 0},
};

constexpr const char* kFaceNameKey = "lfFaceName";
constexpr const char* kDefaultFaceName = "Microsoft Sans Serif";

}  // namespace

void CLanguageTable::ReadFontSettings(LOGFONTA& description) const {
    platform::ISettingsStore& store = platform::GetSettingsStore();
    description = LOGFONTA{};
    for (const FontKey& row : kFontKeys) {
        int32_t value = store.GetProfileInt(m_currentLanguage, row.key, row.defaultValue);
        if (const WideField* wide = std::get_if<WideField>(&row.field))
            description.*(*wide) = value;
        else
            description.*std::get<ByteField>(row.field) = static_cast<uint8_t>(value & 0xFF);
    }
    // A longer stored name is cut to the field, never inside a character.
    std::string face = store.GetProfileString(m_currentLanguage, kFaceNameKey, kDefaultFaceName);
    platform::CopyProfileValue(face, description.lfFaceName, LF_FACESIZE);
}

bool CLanguageTable::LoadFontSettings(platform::CFont& font) {
    LOGFONTA description;
    ReadFontSettings(description);
    font.DeleteObject();
    if (!font.CreateFontIndirect(&description)) {
        MessageBoxA(nullptr, "Failed to create font", "Error", MB_OK);
        return false;
    }
    return true;
}

bool CLanguageTable::SaveFontSettings(const platform::CFont& font) {
    LOGFONTA description;
    if (!font.GetLogFont(&description)) return true;  // an empty font has nothing to store
    platform::ISettingsStore& store = platform::GetSettingsStore();
    for (const FontKey& row : kFontKeys) {
        int32_t value =
            std::visit([&](auto field) { return int32_t(description.*field); }, row.field);
        store.WriteProfileInt(m_currentLanguage, row.key, value);
    }
    store.WriteProfileString(m_currentLanguage, kFaceNameKey, description.lfFaceName);
    return true;
}
