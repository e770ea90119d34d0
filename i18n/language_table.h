#pragma once
// The language table: the texts of the current language in three tables keyed by numeric id,
// loaded from <base folder>/language/<name>.ini, with lookups that fall back to the built-in
// resources, and their application to dialogs and menus.

#include <string>
#include <vector>

#include "platform/font.h"

class wxWindow;
class wxMenu;

enum LanguageEncoding {
    EncodingAnsi = 0,
    EncodingUnicode = 1,
    EncodingUtf8 = 2,
};

struct TextEntry {
    int id;
    std::string text;
};

class CLanguageTable {
  public:
    CLanguageTable() = default;
    virtual ~CLanguageTable() = default;
    CLanguageTable(const CLanguageTable&) = delete;
    CLanguageTable& operator=(const CLanguageTable&) = delete;

    // Start-up: enumerates the language files of baseFolder and selects languageName. False when
    // there is no language file (nothing is loaded).
    bool Initialize(const std::string& baseFolder, const std::string& languageName);
    // Empties the tables and loads name; name becomes "english" when no language file has that
    // name (ignoring letter case). Always true.
    bool SelectLanguage(std::string& name);
    // Reads every key of the key table from name's file, switches the locale and rebuilds the
    // interface font. False only when there is no language file at all.
    bool LoadLanguage(const std::string& name);

    // Lookups; none fails. A key the file leaves empty or lacks gives the built-in text.
    std::string GetString(int id) const;
    std::string GetDialogText(int id) const;
    std::string GetMenuText(int id) const;
    std::string GetMenuField(int id, int n) const;

    // Localised title, control texts and font on an open dialog; false (nothing done) when there
    // is no language file. GUI builds only.
    bool ApplyToDialog(wxWindow* dialog, int dialogId);
    // Localised item texts on a loaded menu and its submenus; false (nothing done) when there is
    // no language file. GUI builds only.
    bool ApplyToMenu(wxMenu* menu, int menuId, bool topLevel);

    int GetLanguageCount() const { return static_cast<int>(m_languages.size()); }
    // Empty for an index outside the list.
    std::string GetLanguageName(int index) const;
    std::string GetCurrentLanguage() const { return m_currentLanguage; }

    // Language files.
    bool EnumerateLanguages();
    LanguageEncoding GetEncodingKind(const std::string& name) const;
    bool ResolveLocale(std::string name, std::string& localeName, int& primaryLanguage,
                       int& subLanguage);
    std::string ReadValue(const char* section, const char* key, const char* defaultValue) const;
    static void Unescape(std::string& text);

    // The font settings of the current language's section, defaults for missing keys.
    void ReadFontSettings(LOGFONTA& description) const;
    // Reads this language's font settings into font (replacing its handle). False when the font
    // could not be made.
    bool LoadFontSettings(platform::CFont& font);
    // Writes font's description to the current language's section. Always true.
    bool SaveFontSettings(const platform::CFont& font);

    std::string m_currentLanguage = "english";
    std::vector<std::string> m_languages;
    std::vector<TextEntry> m_menuTexts;
    std::vector<TextEntry> m_stringTexts;
    std::vector<TextEntry> m_dialogTexts;
    std::string m_baseFolder;
    int m_subLanguage = 1;
    int m_primaryLanguage = 9;
    std::string m_filePath;
    LanguageEncoding m_encoding = EncodingAnsi;
    platform::CFont InterfaceFont;

  private:
    void SwitchLocale(const std::string& localeName);
    void ApplyToMenuItems(wxMenu* menu, int menuId, bool topLevel);

    int m_popupKey = 0;  // submenu key counter shared by one ApplyToMenu walk
};

// The program's one language table.
extern CLanguageTable g_languageTable;
