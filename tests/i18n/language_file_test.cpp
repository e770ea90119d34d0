#include <gtest/gtest.h>

#include "language_fixture.h"

namespace {

constexpr const char* kBadNameText =
    "Your language file name may be not proper,\n please read the help file!";

TEST_F(LanguageTest, LanguagesSortUpperCaseFirstAndUnknownNamesStillLoad) {
    WriteLanguage("English", "[STRING]\nIDS_MESSAGE_WARNING=Warning\n");
    WriteLanguage("chs", "");
    WriteLanguage("Deutsch", "[STRING]\nIDS_MESSAGE_WARNING=Warnung\n");
    m_dir.Write("language/readme.txt", "");
    ASSERT_TRUE(Initialize("Deutsch"));
    ASSERT_EQ(m_table.GetLanguageCount(), 3);
    EXPECT_EQ(m_table.GetLanguageName(0), "Deutsch");
    EXPECT_EQ(m_table.GetLanguageName(1), "English");
    EXPECT_EQ(m_table.GetLanguageName(2), "chs");
    EXPECT_EQ(m_table.GetLanguageName(3), "");
    EXPECT_EQ(m_table.GetLanguageName(-1), "");

    ASSERT_EQ(m_box.calls.size(), 1u);
    EXPECT_EQ(m_box.calls[0].text, kBadNameText);
    EXPECT_EQ(m_box.calls[0].caption, "deutsch");
    EXPECT_FALSE(m_box.calls[0].hasOwner);
    EXPECT_EQ(m_box.calls[0].flags, MB_OK);
    EXPECT_EQ(m_table.GetString(208), "Warnung");
    EXPECT_EQ(m_table.GetCurrentLanguage(), "Deutsch");
}

TEST_F(LanguageTest, NoLanguageFolderKeepsBuiltInTexts) {
    EXPECT_FALSE(Initialize("german"));
    EXPECT_EQ(m_table.GetLanguageCount(), 0);
    EXPECT_FALSE(m_table.LoadLanguage("english"));
    EXPECT_EQ(m_table.GetString(208), "Warning");
    EXPECT_EQ(m_table.GetDialogText(1008), "Merge");
    EXPECT_TRUE(m_table.InterfaceFont.IsEmpty());
    EXPECT_TRUE(m_box.calls.empty());
    EXPECT_EQ(m_table.GetCurrentLanguage(), "english");
}

TEST_F(LanguageTest, EncodingKindIsCaseBlindAndUtf8Wins) {
    EXPECT_EQ(m_table.GetEncodingKind("chs_unicode"), EncodingUnicode);
    EXPECT_EQ(m_table.GetEncodingKind("Chinese_Simplified_utf-8"), EncodingUtf8);
    EXPECT_EQ(m_table.GetEncodingKind("ENGLISH_UTF-8"), EncodingUtf8);
    EXPECT_EQ(m_table.GetEncodingKind("x_utf-8y"), EncodingUtf8);
    EXPECT_EQ(m_table.GetEncodingKind("a_unicode_utf-8"), EncodingUtf8);
    EXPECT_EQ(m_table.GetEncodingKind("German"), EncodingAnsi);
    EXPECT_EQ(m_table.GetEncodingKind("utf-8"), EncodingAnsi);
}

struct Resolved {
    bool ok;
    std::string locale;
    int primary, sub;
};

Resolved Resolve(CLanguageTable& table, const std::string& name) {
    table.m_encoding = table.GetEncodingKind(name);
    Resolved r{false, "unset", -1, -1};
    r.ok = table.ResolveLocale(name, r.locale, r.primary, r.sub);
    return r;
}

TEST_F(LanguageTest, ResolveLocaleMatchesNamesAndAbbreviationsInTableOrder) {
    auto check = [&](const std::string& name, const char* locale, int primary, int sub) {
        Resolved r = Resolve(m_table, name);
        EXPECT_TRUE(r.ok) << name;
        EXPECT_EQ(r.locale, locale) << name;
        EXPECT_EQ(r.primary, primary) << name;
        EXPECT_EQ(r.sub, sub) << name;
    };
    check("chs_unicode", "chs", 4, 2);  // first CHS row: Chinese_Peoples_Republic_of_China
    check("Chinese_Simplified_utf-8", "chs", 4, 0);
    check("ENGLISH_UTF-8", "english", 9, 1);
    check("English", "english", 9, 1);
    check("ENU", "enu", 9, 0);
    check("ara", "ara", 1, 0);
    check("German", "deu", 7, 0);
    check("English_United_Kingdom)", "eng", 9, 2);
    check("Spanish_United States", "est", 10, 21);
    check("SERBIAN", "srb", 26, 31);
    check("Yoruba_Nigeria", "yor", 106, 1);
    EXPECT_TRUE(m_box.calls.empty());
}

TEST_F(LanguageTest, ResolveLocaleFailureLeavesOutputsAndNamesTheCutName) {
    for (const char* name : {"x_utf-8y", "English_United_Kingdom", "Spanish_United_States"}) {
        Resolved r = Resolve(m_table, name);
        EXPECT_FALSE(r.ok) << name;
        EXPECT_EQ(r.locale, "unset");
        EXPECT_EQ(r.primary, -1);
        EXPECT_EQ(r.sub, -1);
    }
    ASSERT_EQ(m_box.calls.size(), 3u);
    EXPECT_EQ(m_box.calls[0].caption, "x_");
    EXPECT_EQ(m_box.calls[1].caption, "english_united_kingdom");
    EXPECT_EQ(m_box.calls[2].text, kBadNameText);
}

TEST_F(LanguageTest, SuffixCutCountsCharactersNotBytes) {
    Resolved r =
        Resolve(m_table, "a_utf-8\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(m_box.calls.size(), 1u);
    EXPECT_EQ(m_box.calls[0].caption, "a_utf-");  // 6 bytes would split a character
}

TEST(Unescape, TabLineFeedAndReturnOnly) {
    auto unescape = [](std::string s) {
        CLanguageTable::Unescape(s);
        return s;
    };
    EXPECT_EQ(unescape("Line1\\nLine2"), "Line1\nLine2");
    EXPECT_EQ(unescape("C:\\new"), "C:\new");
    EXPECT_EQ(unescape("a\\tb\\rc\\n\\n"), "a\tb\rc\n\n");
    EXPECT_EQ(unescape("C:\\temp\\x\\"), "C:\temp\\x\\");
    EXPECT_EQ(unescape("\\\\n"), "\\\n");  // no way to write a literal backslash-n
    EXPECT_EQ(unescape("\\N \\T"), "\\N \\T");
    EXPECT_EQ(unescape(""), "");
}

TEST_F(LanguageTest, ValuesAreCutAt2047BytesAndUnicodeFilesRead) {
    WriteLanguage("English", "[STRING]\nIDS_MESSAGE_WARNING=" + std::string(3000, 'w') + "\n");
    std::u16string wide = u"[DIALOG]\r\nIDC_BUTTON_CONVERT=\u5408\u5e76\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t u : wide) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    WriteLanguage("chs_unicode", bytes);
    ASSERT_TRUE(Initialize("english"));
    EXPECT_EQ(m_table.GetString(208), std::string(2047, 'w'));
    std::string name = "chs_unicode";
    m_table.SelectLanguage(name);
    EXPECT_EQ(m_table.GetDialogText(1008), "\xE5\x90\x88\xE5\xB9\xB6");
}

}  // namespace
