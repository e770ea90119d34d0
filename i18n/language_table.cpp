#include "i18n/language_table.h"

#include "i18n/built_in_texts.h"
#include "i18n/language_keys.h"
#include "resources/string_table.h"
#include "text/case_blind.h"

namespace {

const std::string* FindText(const std::vector<TextEntry>& table, int id) {
    for (const TextEntry& entry : table)
        if (entry.id == id) return &entry.text;
    return nullptr;
}

}  // namespace

bool CLanguageTable::Initialize(const std::string& baseFolder, const std::string& languageName) {
    m_baseFolder = baseFolder;
    m_languages.clear();
    EnumerateLanguages();
    if (m_languages.empty()) return false;
    std::string name = languageName;
    SelectLanguage(name);
    return true;
}

bool CLanguageTable::SelectLanguage(std::string& name) {
    m_menuTexts.clear();
    m_stringTexts.clear();
    m_dialogTexts.clear();
    m_currentLanguage = "english";
    for (const std::string& language : m_languages) {
        if (text::SameIgnoringCase(language, name)) {
            m_currentLanguage = name;
            break;
        }
    }
    if (name != m_currentLanguage) name = "english";
    LoadLanguage(name);
    return true;
}

bool CLanguageTable::LoadLanguage(const std::string& name) {
    if (m_languages.empty()) return false;
    m_encoding = GetEncodingKind(name);
    std::string localeName;
    ResolveLocale(name, localeName, m_primaryLanguage, m_subLanguage);
    m_filePath = m_baseFolder + "/language/" + name + ".ini";
    for (const LanguageKey& row : kLanguageKeys) {
        std::string_view prefix = std::string_view(row.key).substr(0, 3);
        const char* section = nullptr;
        std::vector<TextEntry>* table = nullptr;
        if (prefix == "IDS") {
            section = "STRING";
            table = &m_stringTexts;
        } else if (prefix == "IDM" || prefix == "IDR") {
            section = "MENU";
            table = &m_menuTexts;
        } else if (prefix == "IDD" || prefix == "IDC") {
            section = "DIALOG";
            table = &m_dialogTexts;
        } else {
            continue;
        }
        std::string value = ReadValue(section, row.key, "");
        Unescape(value);
        table->push_back({row.id, std::move(value)});
    }
    SwitchLocale(localeName);
    return true;
}

std::string CLanguageTable::GetString(int id) const {
    const std::string* text = FindText(m_stringTexts, id);
    if (text && !text->empty()) return *text;
    const char* builtIn = resources::FindString(id);
    return builtIn ? builtIn : "";
}

std::string CLanguageTable::GetDialogText(int id) const {
    const std::string* text = FindText(m_dialogTexts, id);
    return text && !text->empty() ? *text : i18n::BuiltInDialogText(id);
}

std::string CLanguageTable::GetMenuText(int id) const {
    const std::string* text = FindText(m_menuTexts, id);
    return text && !text->empty() ? *text : i18n::BuiltInMenuText(id);
}

std::string CLanguageTable::GetMenuField(int id, int n) const {
    std::string text = GetMenuText(id);
    if (n < 0) return text;
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) return text;  // fewer than n commas
        start = comma + 1;
    }
    size_t end = text.find(',', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string CLanguageTable::GetLanguageName(int index) const {
    if (index < 0 || index >= GetLanguageCount()) return {};
    return m_languages[index];
}
