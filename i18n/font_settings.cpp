// The interface font of each language, kept in the settings section named after the language.

#include <variant>

#include "i18n/font_keys.h"
#include "i18n/language_table.h"
#include "platform/ini_reader.h"
#include "platform/message_box.h"
#include "platform/services.h"

void CLanguageTable::ReadFontSettings(LOGFONTA& description) const {
    platform::ISettingsStore& store = *platform::InstalledServices().settings;
    description = LOGFONTA{};
    for (const i18n::FontKey& row : i18n::kFontKeys) {
        int32_t value = store.GetProfileInt(m_currentLanguage, row.key, row.defaultValue);
        if (const i18n::WideField* wide = std::get_if<i18n::WideField>(&row.field))
            description.*(*wide) = value;
        else
            description.*std::get<i18n::ByteField>(row.field) = static_cast<uint8_t>(value & 0xFF);
    }
    // A longer stored name is cut to the field, never inside a character.
    std::string face =
        store.GetProfileString(m_currentLanguage, i18n::kFaceNameKey, i18n::kDefaultFaceName);
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
    platform::ISettingsStore& store = *platform::InstalledServices().settings;
    for (const i18n::FontKey& row : i18n::kFontKeys) {
        int32_t value =
            std::visit([&](auto field) { return int32_t(description.*field); }, row.field);
        store.WriteProfileInt(m_currentLanguage, row.key, value);
    }
    store.WriteProfileString(m_currentLanguage, i18n::kFaceNameKey, description.lfFaceName);
    return true;
}
