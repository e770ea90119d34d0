// Language files: finding them, what their names tell, reading and unescaping one value, and the
// locale switch that ends a load.

#include <algorithm>
#include <clocale>
#include <cstring>

#include "i18n/language_table.h"
#include "i18n/locale_table.h"
#include "platform/file_search.h"
#include "platform/ini_reader.h"
#include "platform/locale_switch.h"
#include "platform/message_box.h"
#include "text/case_blind.h"

namespace {

constexpr size_t kValueBufferSize = 2048;

// Drops count characters (not bytes) from the end, so a UTF-8 name is never cut inside one.
void CutCharacters(std::string& s, size_t count) {
    size_t end = s.size();
    while (count > 0 && end > 0) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
        --count;
    }
    s.resize(end);
}

void ReplaceAll(std::string& text, std::string_view from, char to) {
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), 1, to);
        ++pos;
    }
}

}  // namespace

bool CLanguageTable::EnumerateLanguages() {
    std::vector<std::string> files;
    if (!platform::FindFilesWithSuffix(m_baseFolder + "/language", ".ini", files)) return false;
    for (std::string& file : files) {
        file.resize(file.size() - 4);
        m_languages.push_back(std::move(file));
    }
    std::sort(m_languages.begin(), m_languages.end());  // byte order: upper case first
    return true;
}

LanguageEncoding CLanguageTable::GetEncodingKind(const std::string& name) const {
    std::string lower = text::ToLowerAscii(name);
    if (lower.find("_utf-8") != std::string::npos) return EncodingUtf8;
    if (lower.find("_unicode") != std::string::npos) return EncodingUnicode;
    return EncodingAnsi;
}

bool CLanguageTable::ResolveLocale(std::string name, std::string& localeName, int& primaryLanguage,
                                   int& subLanguage) {
    name = text::ToLowerAscii(name);
    if (m_encoding == EncodingUtf8) CutCharacters(name, 6);
    if (m_encoding == EncodingUnicode) CutCharacters(name, 8);
    if (name == "english") {
        localeName = "english";
        primaryLanguage = 9;
        subLanguage = 1;
        return true;
    }
    for (const LocaleEntry& row : LocaleTable()) {
        std::string abbreviation = text::ToLowerAscii(row.abbreviation);
        if (text::ToLowerAscii(row.name) == name || abbreviation == name) {
            localeName = abbreviation;
            primaryLanguage = row.langId & 0x3FF;
            subLanguage = row.langId >> 10;
            return true;
        }
    }
    MessageBoxA(nullptr, "Your language file name may be not proper,\n please read the help file!",
                name.c_str(), MB_OK);
    return false;
}

std::string CLanguageTable::ReadValue(const char* section, const char* key,
                                      const char* defaultValue) const {
    char buffer[kValueBufferSize] = {};
    GetPrivateProfileStringA(section, key, defaultValue, buffer, sizeof buffer, m_filePath.c_str());
    return buffer;
}

void CLanguageTable::Unescape(std::string& text) {
    ReplaceAll(text, "\\t", '\t');
    ReplaceAll(text, "\\n", '\n');
    ReplaceAll(text, "\\r", '\r');
}

void CLanguageTable::SwitchLocale(const std::string& localeName) {
    platform::SetRuntimeLocale(LC_ALL, localeName.c_str());
    platform::SetThreadLocale(static_cast<uint32_t>(m_subLanguage) << 10 |
                              static_cast<uint32_t>(m_primaryLanguage));
    platform::SetRuntimeLocale(LC_NUMERIC, "English");
    LoadFontSettings(InterfaceFont);
}
