// The pop-up menu's language entries and Font command over fake services.

#include <gtest/gtest.h>

#include <cstring>

#include "app_fixture.h"
#include "loaded_languages.h"

namespace {

class LanguageCommands : public AppTest {
  protected:
    void Start(const std::string& saved) { ASSERT_TRUE(m_languages.Load(saved)); }
    int IdOf(const std::string& name) {
        for (int i = 0; i < g_languageTable.GetLanguageCount(); ++i)
            if (g_languageTable.GetLanguageName(i) == name) return 45400 + i;
        ADD_FAILURE() << "no language " << name;
        return 0;
    }
    LOGFONTA Font() {
        LOGFONTA lf{};
        EXPECT_TRUE(g_languageTable.InterfaceFont.GetLogFont(&lf));
        return lf;
    }

    LoadedLanguages m_languages{&m_settings};
};

TEST_F(LanguageCommands, TheSavedNameIsWrittenBackAtCloseAsSelectedOrAsEnglishWithoutAFile) {
    Start("ENGLISH");
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "ENGLISH");
    m_dialog->SaveCurrentLanguage();
    Start("Klingon");
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "english");
    m_dialog->SaveCurrentLanguage();
    ASSERT_EQ(m_settings.writes.size(), 2u);
    EXPECT_EQ(m_settings.writes[0].value.text, "ENGLISH");
    EXPECT_EQ(m_settings.writes[1].section, "Option");
    EXPECT_EQ(m_settings.writes[1].key, "CurrentLanguage");
    EXPECT_EQ(m_settings.writes[1].value.text, "english");
}

TEST_F(LanguageCommands, AnEntrySwitchesAtOnceAndAsksForARestartInTheNewLanguage) {
    Start("English");
    m_dialog->OnLanguageCommand((1u << 16) | unsigned(IdOf("German")));  // high word ignored
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "German");
    EXPECT_EQ(g_languageTable.GetDialogText(1008), "Zusammenfügen");
    EXPECT_EQ(m_view.localised, 1);
    EXPECT_EQ(m_journal.entries,
              (std::vector<std::string>{"box Warnung|Bitte neu starten|0|owner"}));
    EXPECT_TRUE(m_settings.writes.empty());  // saved only at close

    // The checked entry again: the file is read anew and the message still comes.
    m_languages.folder.Write("language/German.ini",
                             "[DIALOG]\nIDC_BUTTON_CONVERT=Verbinden\n"
                             "[STRING]\nIDS_MESSAGE_RESTART_PROGRAM=Neu starten\n");
    m_dialog->OnLanguageCommand(unsigned(IdOf("German")));
    EXPECT_EQ(g_languageTable.GetDialogText(1008), "Verbinden");
    EXPECT_EQ(m_view.localised, 2);
    ASSERT_EQ(m_journal.entries.size(), 2u);
    EXPECT_EQ(m_journal.entries[1], "box Warning|Neu starten|0|owner");
}

TEST_F(LanguageCommands, IdsOutsideTheLanguageRangeOrWithoutAnEntryDoNothing) {
    // 1001 files: the entry at index 1000 has id 46400, past the range.
    for (int i = 0; i < 999; ++i)
        m_languages.folder.Write("language/Z" + std::to_string(1000 + i) + ".ini", "");
    Start("English");
    ASSERT_EQ(g_languageTable.GetLanguageCount(), 1001);
    for (unsigned id : {45399u, 46400u, 32783u, 0u}) m_dialog->OnLanguageCommand(id);
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "English");

    TempFolder few;
    few.Write("language/English.ini", "");
    ASSERT_TRUE(g_languageTable.Initialize(few.Path(), "English"));
    m_dialog->OnLanguageCommand(45401);  // in the range, but only one file is listed
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "English");
    EXPECT_EQ(m_view.localised, 0);
    EXPECT_TRUE(m_journal.entries.empty());
}

LOGFONTA Chosen() {
    LOGFONTA lf{};
    lf.lfHeight = -16;
    lf.lfWeight = 700;
    lf.lfItalic = 1;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = 5;  // cleartype
    std::strcpy(lf.lfFaceName, "DejaVu Serif");
    return lf;
}

TEST_F(LanguageCommands, AFontChosenForOneLanguageComesBackAfterSwitchingAwayAndAfterARestart) {
    Start("English");
    LOGFONTA initial = Font();
    m_fonts.answers.push_back({true, Chosen()});
    m_dialog->OnPopupMenuFont();
    ASSERT_EQ(m_fonts.requests.size(), 1u);
    const platform::FontChooserRequest& request = m_fonts.requests[0];
    EXPECT_EQ(request.owner, &m_view);
    EXPECT_EQ(request.flags, 0x141u);  // screen fonts, effects, start from the description
    EXPECT_EQ(std::memcmp(&request.logFont, &initial, sizeof initial), 0);
    EXPECT_STREQ(Font().lfFaceName, "DejaVu Serif");
    EXPECT_EQ(Font().lfQuality, 5);  // in use until the next load
    EXPECT_EQ(m_view.localised, 1);
    ASSERT_EQ(m_settings.writes.size(), 13u);
    EXPECT_EQ(m_settings.writes[0].section, "English");

    m_dialog->OnLanguageCommand(unsigned(IdOf("German")));
    EXPECT_STREQ(Font().lfFaceName, "Microsoft Sans Serif");
    EXPECT_EQ(Font().lfWeight, 400);
    m_dialog->OnLanguageCommand(unsigned(IdOf("English")));
    LOGFONTA expected = Chosen();
    expected.lfQuality = 0;
    LOGFONTA back = Font();
    EXPECT_EQ(std::memcmp(&back, &expected, sizeof back), 0);

    Start("English");  // the next start reads the same settings
    back = Font();
    EXPECT_EQ(std::memcmp(&back, &expected, sizeof back), 0);
}

TEST_F(LanguageCommands, ACancelledChooserChangesAndWritesNothing) {
    Start("English");
    m_dialog->OnPopupMenuFont();
    EXPECT_EQ(m_fonts.requests.size(), 1u);
    EXPECT_TRUE(m_settings.writes.empty());
    EXPECT_STREQ(Font().lfFaceName, "Microsoft Sans Serif");
    EXPECT_EQ(m_view.localised, 0);
}

TEST_F(LanguageCommands, WithoutLanguageFilesTheFontCommandSaysSoAndRunsNoChooser) {
    TempFolder empty;
    EXPECT_FALSE(g_languageTable.Initialize(empty.Path(), "english"));
    m_fonts.answers.push_back({true, Chosen()});
    m_dialog->OnPopupMenuFont();
    EXPECT_TRUE(m_fonts.requests.empty());
    EXPECT_TRUE(m_settings.writes.empty());
    EXPECT_TRUE(g_languageTable.InterfaceFont.IsEmpty());
    ASSERT_EQ(m_journal.entries.size(), 1u);
    EXPECT_EQ(m_journal.entries[0].rfind("box Font|No language file was found", 0), 0u);
}

}  // namespace
