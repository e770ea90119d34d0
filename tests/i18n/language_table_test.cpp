#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "i18n/language_keys.h"
#include "language_fixture.h"
#include "platform/locale_switch.h"

namespace {

const std::string kFull =
    "[MENU]\nIDM_ABOUT=Info\nIDM_SELECT_LANGUAGE=Sprache\nIDM_POPUPMENU_FONT=Schrift\n"
    "[DIALOG]\nIDD_PROGRAM_CAPTION=Splicora DE\nIDC_BUTTON_EXIT=Beenden\n"
    "IDC_BUTTON_CONVERT=Verbinden\nIDC_BUTTON_STOP=Halt\nIDC_BUTTON_PREVIEW_VIDEO=Vorschau\n"
    "IDC_BUTTON_TRANSITION_CONFIG=Blende\n"
    "[STRING]\nIDS_MESSAGE_WARNING=Warnung\nIDS_MESSAGE_ERROR=\n";

size_t RowsWithPrefix(std::initializer_list<const char*> prefixes) {
    size_t n = 0;
    for (const LanguageKey& row : kLanguageKeys)
        for (const char* p : prefixes) n += std::strncmp(row.key, p, 3) == 0;
    return n;
}

TEST_F(LanguageTest, OneEntryPerKeyRowEvenWhenEmptyAndNoDuplicatesOnReload) {
    WriteLanguage("German", kFull);
    ASSERT_TRUE(Initialize("German"));
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(m_table.m_stringTexts.size(), RowsWithPrefix({"IDS"}));
        EXPECT_EQ(m_table.m_menuTexts.size(), RowsWithPrefix({"IDM", "IDR"}));
        EXPECT_EQ(m_table.m_dialogTexts.size(), RowsWithPrefix({"IDD", "IDC"}));
        std::string name = "German";
        m_table.SelectLanguage(name);
    }
}

TEST_F(LanguageTest, StringLookupFallsBackToBuiltInTexts) {
    WriteLanguage("German", kFull);
    ASSERT_TRUE(Initialize("German"));
    EXPECT_EQ(m_table.GetString(208), "Warnung");
    EXPECT_EQ(m_table.GetString(205), "Error");            // empty value
    EXPECT_EQ(m_table.GetString(238), "Video File Name");  // missing key
    EXPECT_EQ(m_table.GetString(1), "");                   // no such string
    // The four DIALOG rows with string numbers never reach GetString.
    EXPECT_EQ(m_table.GetString(224), "Stop");
    EXPECT_EQ(m_table.GetString(225), "Convert");
    EXPECT_EQ(m_table.GetString(240), "Transition");
    EXPECT_EQ(m_table.GetString(241), "Preview");
    EXPECT_EQ(m_table.GetDialogText(225), "Verbinden");
    EXPECT_EQ(m_table.GetDialogText(224), "Halt");
}

TEST_F(LanguageTest, OneKeyFillsTwoIds) {
    WriteLanguage("German", kFull);
    ASSERT_TRUE(Initialize("German"));
    EXPECT_EQ(m_table.GetDialogText(1016), "Splicora DE");
    EXPECT_EQ(m_table.GetDialogText(102), "Splicora DE");
    EXPECT_EQ(m_table.GetDialogText(1008), "Verbinden");
    EXPECT_EQ(m_table.GetDialogText(1009), "Vorschau");
    EXPECT_EQ(m_table.GetDialogText(241), "Vorschau");
    EXPECT_EQ(m_table.GetMenuText(264 << 16), "Sprache");
    EXPECT_EQ(m_table.GetMenuText(32784), "Schrift");
}

TEST_F(LanguageTest, KeyUnderTheWrongSectionIsNotFound) {
    WriteLanguage("English",
                  "[STRING]\nIDC_BUTTON_CONVERT=Join\n[DIALOG]\nIDS_MESSAGE_WARNING=W\n");
    ASSERT_TRUE(Initialize("English"));
    EXPECT_EQ(m_table.GetDialogText(1008), "Merge");  // the built-in text, not "Join"
    EXPECT_EQ(m_table.GetString(208), "Warning");
}

TEST_F(LanguageTest, MenuFields) {
    WriteLanguage("English", "[MENU]\nIDM_ABOUT=one,two,three\nIDM_POPUPMENU_FONT=a,\n");
    ASSERT_TRUE(Initialize("English"));
    EXPECT_EQ(m_table.GetMenuField(32783, 0), "one");
    EXPECT_EQ(m_table.GetMenuField(32783, 1), "two");
    EXPECT_EQ(m_table.GetMenuField(32783, 2), "three");
    EXPECT_EQ(m_table.GetMenuField(32783, 3), "one,two,three");
    EXPECT_EQ(m_table.GetMenuField(32784, 0), "a");
    EXPECT_EQ(m_table.GetMenuField(32784, 1), "");
    EXPECT_EQ(m_table.GetMenuField(32784, 2), "a,");
    EXPECT_EQ(m_table.GetMenuField(264, 0), "PopupMenu");  // never filled: the built-in text
}

TEST_F(LanguageTest, SelectionIgnoresCaseAndFallsBackToEnglish) {
    WriteLanguage("English", "[DIALOG]\nIDC_BUTTON_EXIT=Exit!\n");
    WriteLanguage("German", kFull);
    ASSERT_TRUE(Initialize("ENGLISH"));
    EXPECT_EQ(m_table.GetCurrentLanguage(), "ENGLISH");
    EXPECT_EQ(m_table.GetDialogText(1018), "Exit!");  // ENGLISH.ini found as English.ini

    std::string name = "german";
    EXPECT_TRUE(m_table.SelectLanguage(name));
    EXPECT_EQ(name, "german");
    EXPECT_EQ(m_table.GetCurrentLanguage(), "german");
    EXPECT_EQ(m_table.GetDialogText(1018), "Beenden");

    name = "Klingon";
    EXPECT_TRUE(m_table.SelectLanguage(name));
    EXPECT_EQ(name, "english");
    EXPECT_EQ(m_table.GetCurrentLanguage(), "english");
    EXPECT_EQ(m_table.GetDialogText(1018), "Exit!");
    EXPECT_TRUE(m_box.calls.empty());
}

TEST_F(LanguageTest, SwitchToFileLackingAKeyGivesTheBuiltInText) {
    WriteLanguage("German", kFull);
    WriteLanguage("French", "[DIALOG]\nIDC_BUTTON_CONVERT=Fusionner\nIDC_BUTTON_HELP=\n");
    ASSERT_TRUE(Initialize("German"));
    std::string name = "French";
    m_table.SelectLanguage(name);
    EXPECT_EQ(m_table.GetDialogText(1008), "Fusionner");
    EXPECT_EQ(m_table.GetDialogText(1018), "Exit");  // never German's "Beenden"
    EXPECT_EQ(m_table.GetDialogText(1019), "Help");  // set empty
    EXPECT_EQ(m_table.GetDialogText(102), "Splicora");
    EXPECT_EQ(m_table.GetString(208), "Warning");
    EXPECT_EQ(m_table.GetMenuText(32783), "&About");
    EXPECT_EQ(m_table.GetMenuText(264 << 16), "&Language");
    EXPECT_EQ(m_table.GetMenuField(264, 0), "PopupMenu");
    EXPECT_EQ(m_table.GetDialogText(4242), "");  // no such text anywhere
}

TEST_F(LanguageTest, LoadSwitchesLocaleIdentifiersAndKeepsThemOnAnUnknownName) {
    WriteLanguage("German", "");
    WriteLanguage("Deutsch", "");
    ASSERT_TRUE(Initialize("German"));
    EXPECT_EQ(m_table.m_primaryLanguage, 7);
    EXPECT_EQ(m_table.m_subLanguage, 0);
    EXPECT_EQ(platform::GetThreadLocale(), 0x0007u);
    std::string name = "Deutsch";
    m_table.SelectLanguage(name);
    EXPECT_EQ(m_table.m_primaryLanguage, 7);  // the previous language's identifiers
    EXPECT_EQ(platform::GetThreadLocale(), 0x0007u);
    EXPECT_EQ(std::localeconv()->decimal_point[0], '.');
    EXPECT_EQ(m_table.m_filePath, m_dir.Path() + "/language/Deutsch.ini");
    EXPECT_EQ(m_table.m_encoding, EncodingAnsi);
}

TEST_F(LanguageTest, ComboTextKeepsItsLineFeeds) {
    WriteLanguage("English", "[DIALOG]\nIDC_BUTTON_ITEM_UP=A\\nB\\n\n");
    ASSERT_TRUE(Initialize("english"));
    EXPECT_EQ(m_table.GetDialogText(1002), "A\nB\n");
}

}  // namespace
