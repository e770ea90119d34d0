#pragma once
// English and German language files in a fresh folder, for the program's language table, with a
// settings store for their fonts. The table is emptied and the store put back at the end.

#include <string>

#include "i18n/language_table.h"
#include "platform/services.h"
#include "platform/temp_folder.h"

class LoadedLanguages {
  public:
    explicit LoadedLanguages(platform::ISettingsStore* store) : m_installed(WithSettings(store)) {
        folder.Write("language/English.ini",
                     "[DIALOG]\nIDD_PROGRAM_CAPTION=Splicora\nIDC_BUTTON_CONVERT=Merge\n");
        folder.Write(
            "language/German.ini",
            "[MENU]\nIDM_SELECT_LANGUAGE=Sprache\nIDM_POPUPMENU_FONT=Schrift\nIDM_ABOUT=Info\n"
            "[DIALOG]\nIDD_PROGRAM_CAPTION=Splicora (Deutsch)\nIDC_BUTTON_CONVERT=Zusammenfügen\n"
            "IDC_BUTTON_EXIT=Beenden\n"
            "[STRING]\nIDS_MESSAGE_WARNING=Warnung\nIDS_MESSAGE_RESTART_PROGRAM=Bitte neu "
            "starten\nIDS_COLUMN_FILE_NAME=Name der Videodatei\n"
            "IDS_COLUMN_DURATION=Dauer in Sekunden\n");
    }
    ~LoadedLanguages() {
        TempFolder empty;
        g_languageTable.Initialize(empty.Path(), "english");
        g_languageTable.m_stringTexts.clear();
        g_languageTable.m_dialogTexts.clear();
        g_languageTable.m_menuTexts.clear();
        g_languageTable.m_currentLanguage = "english";
        g_languageTable.InterfaceFont.DeleteObject();
    }
    LoadedLanguages(const LoadedLanguages&) = delete;
    LoadedLanguages& operator=(const LoadedLanguages&) = delete;

    // Start-up with this saved language name.
    bool Load(const std::string& saved) { return g_languageTable.Initialize(folder.Path(), saved); }

    TempFolder folder;

  private:
    static platform::Services WithSettings(platform::ISettingsStore* store) {
        platform::Services services;
        services.settings = store;
        return services;
    }
    platform::ScopedServices m_installed;
};
