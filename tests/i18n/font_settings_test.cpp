// The interface font kept per language in the settings store.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "fakes/recording_settings_store.h"
#include "language_fixture.h"
#include "platform/services.h"

namespace {

class FontSettings : public LanguageTest {
  protected:
    void SetUp() override {
        LanguageTest::SetUp();
        platform::Services fakes;
        fakes.settings = &m_store;
        m_installedStore.emplace(fakes);
        WriteLanguage("English", "");
        WriteLanguage("German", "");
    }
    void TearDown() override {
        m_installedStore.reset();
        LanguageTest::TearDown();
    }
    LOGFONTA Current() {
        LOGFONTA lf{};
        EXPECT_TRUE(m_table.InterfaceFont.GetLogFont(&lf));
        return lf;
    }
    void Select(std::string name) { m_table.SelectLanguage(name); }

    platform::RecordingSettingsStore m_store;
    std::optional<platform::ScopedServices> m_installedStore;
};

TEST_F(FontSettings, FirstLoadGivesTheDefaultFontWithoutWritingAnything) {
    EXPECT_TRUE(m_table.InterfaceFont.IsEmpty());
    ASSERT_TRUE(Initialize("english"));
    LOGFONTA lf = Current();
    LOGFONTA expected{};
    expected.lfHeight = -11;
    expected.lfWeight = 400;
    expected.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(expected.lfFaceName, "Microsoft Sans Serif");
    EXPECT_EQ(std::memcmp(&lf, &expected, sizeof lf), 0);
    EXPECT_TRUE(m_store.writes.empty());
    EXPECT_TRUE(m_box.calls.empty());
}

TEST_F(FontSettings, SavedFontComesBackForItsOwnLanguageWithQualityZero) {
    ASSERT_TRUE(Initialize("English"));
    platform::CFont chosen;
    LOGFONTA lf = NonDefaultFont();
    chosen.CreateFontIndirect(&lf);
    EXPECT_TRUE(m_table.SaveFontSettings(chosen));

    // Twelve integers in field order, then the face name, all in the language's section.
    const char* keys[] = {"lfHeight",  "lfWidth",        "lfEscapement",    "lfOrientation",
                          "lfWeight",  "lfItalic",       "lfUnderline",     "lfStrikeOut",
                          "lfCharSet", "lfOutPrecision", "lfClipPrecision", "lfPitchAndFamily",
                          "lfFaceName"};
    ASSERT_EQ(m_store.writes.size(), 13u);
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(m_store.writes[i].section, "English");
        EXPECT_EQ(m_store.writes[i].key, keys[i]);
        EXPECT_EQ(m_store.writes[i].value.isInt, i < 12) << keys[i];
    }
    EXPECT_EQ(m_store.writes[8].value.number, 204);
    EXPECT_EQ(m_store.writes[12].value.text, "DejaVu Sans Mono");

    Select("German");
    EXPECT_EQ(Current().lfHeight, -11);
    EXPECT_STREQ(Current().lfFaceName, "Microsoft Sans Serif");
    Select("ENGLISH");  // sections are found in any letter case
    LOGFONTA back = Current();
    LOGFONTA expected = NonDefaultFont();
    expected.lfQuality = DEFAULT_QUALITY;
    EXPECT_EQ(std::memcmp(&back, &expected, sizeof back), 0);
}

TEST_F(FontSettings, StoredValuesAreTakenAsTheyAreExceptWhereTheFieldIsSmaller) {
    m_store.WriteProfileInt("English", "lfItalic", 0x1FF);
    m_store.WriteProfileInt("English", "lfCharSet", 256 + 3);
    m_store.WriteProfileInt("English", "lfPitchAndFamily", -1);
    m_store.WriteProfileInt("English", "lfHeight", 100000);
    m_store.WriteProfileString("English", "lfWeight", "bold");  // not an integer: the default
    m_store.WriteProfileString("English", "lfFaceName", std::string(40, 'x'));
    ASSERT_TRUE(Initialize("English"));
    LOGFONTA lf = Current();
    EXPECT_EQ(lf.lfItalic, 0xFF);
    EXPECT_EQ(lf.lfCharSet, 3);
    EXPECT_EQ(lf.lfPitchAndFamily, 0xFF);
    EXPECT_EQ(lf.lfHeight, 100000);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(std::string(lf.lfFaceName), std::string(31, 'x'));

    // A face name cut at 31 bytes keeps its last character whole.
    m_store.WriteProfileString("English", "lfFaceName", std::string(30, 'a') + "\xC3\xA9");
    Select("English");
    EXPECT_EQ(std::string(Current().lfFaceName), std::string(30, 'a'));
}

TEST_F(FontSettings, AnEmptyFontStoresNothing) {
    ASSERT_TRUE(Initialize("English"));
    platform::CFont empty;
    EXPECT_TRUE(m_table.SaveFontSettings(empty));
    EXPECT_TRUE(m_store.writes.empty());
}

}  // namespace
