// SameIgnoringCase against glibc's case tables (C.UTF-8), which nobody here wrote.
#include "text/case_blind.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <clocale>
#include <cwctype>
#include <string>
#include <vector>

#include "text/utf.h"

namespace {

constexpr char32_t kLast = 0x4FF;

class CaseBlind : public ::testing::Test {
  protected:
    void SetUp() override {
        m_glibc = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
        ASSERT_NE(m_glibc, nullptr) << "the C.UTF-8 locale is missing: install it (locales)";
        for (char32_t c = 1; c <= kLast; ++c) {
            m_utf16.push_back(std::u16string(1, static_cast<char16_t>(c)));
            m_utf8.push_back(text::Utf16ToUtf8(m_utf16.back()));
        }
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        if (m_glibc) freelocale(m_glibc);
    }
    wint_t Lower(char32_t c) const { return towlower_l(static_cast<wint_t>(c), m_glibc); }
    // Every pair of code points in U+0001..U+04FF that pass `covered` compares as glibc says.
    template <class Covered>
    void ExpectEveryPairAsGlibc(Covered covered) {
        int wrong = 0;
        for (char32_t a = 1; a <= kLast; ++a) {
            if (!covered(a)) continue;
            for (char32_t b = 1; b <= kLast && wrong < 20; ++b) {
                if (!covered(b)) continue;
                bool same = Lower(a) == Lower(b);
                bool ours8 = text::SameIgnoringCase(m_utf8[a - 1], m_utf8[b - 1]);
                bool ours16 = text::SameIgnoringCase(m_utf16[a - 1], m_utf16[b - 1]);
                if (ours8 != same || ours16 != same) {
                    ++wrong;
                    ADD_FAILURE() << std::hex << "U+" << uint32_t(a) << " U+" << uint32_t(b)
                                  << ": glibc " << same << ", UTF-8 " << ours8 << ", UTF-16 "
                                  << ours16;
                }
            }
        }
    }

    locale_t m_glibc = nullptr;
    std::vector<std::string> m_utf8;
    std::vector<std::u16string> m_utf16;
};

TEST_F(CaseBlind, OwnTablesAgreeWithGlibcInAnyLocale) {
    // Under "C" towlower knows only ASCII: the scripts we name must not depend on it.
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    ExpectEveryPairAsGlibc([](char32_t c) { return c < 0x180 || (c >= 0x370 && c <= 0x4FF); });
}

TEST_F(CaseBlind, EveryPairUpToCyrillicAgreesWithGlibc) {
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    ExpectEveryPairAsGlibc([](char32_t) { return true; });
    // Beyond the BMP, through a surrogate pair: DESERET CAPITAL LONG I and its small letter.
    EXPECT_TRUE(text::SameIgnoringCase(u"\U00010400x", u"\U00010428X"));
    EXPECT_TRUE(text::SameIgnoringCase("\U00010400x", "\U00010428X"));
}

TEST_F(CaseBlind, DottedAndDotlessIStayApartAndLengthsCount) {
    EXPECT_FALSE(text::SameIgnoringCase("\u0130", "\u0131"));
    EXPECT_FALSE(text::SameIgnoringCase(u"\u0130", u"\u0131"));
    EXPECT_TRUE(text::SameIgnoringCase("/V/\u00c9T\u00c9.WMV", "/v/\u00e9t\u00e9.wmv"));
    EXPECT_FALSE(text::SameIgnoringCase("ab", "abc"));
    EXPECT_FALSE(text::SameIgnoringCase(u"abc", u"ab"));
    EXPECT_TRUE(text::SameIgnoringCase("", ""));
}

TEST_F(CaseBlind, BytesThatAreNotUtf8MatchOnlyThemselves) {
    // 0xC9 alone is not 'É', and never matches 'é' (C3 A9) or another stray byte.
    EXPECT_TRUE(text::SameIgnoringCase("a\xc9z", "A\xc9Z"));
    EXPECT_FALSE(text::SameIgnoringCase("a\xc9z", "a\xc3\xa9z"));
    EXPECT_FALSE(text::SameIgnoringCase("a\xc9z", "a\xe9z"));
    EXPECT_FALSE(text::SameIgnoringCase("\xc3", "\xc3\xa9"));
    // Escaped in UTF-16 they are lone surrogates, equal only to themselves.
    EXPECT_TRUE(text::SameIgnoringCase(text::Utf8ToUtf16("A\xc9"), u"a\xDCC9"));
    EXPECT_FALSE(text::SameIgnoringCase(u"\xDCC9", u"\xDCE9"));
    EXPECT_FALSE(text::SameIgnoringCase(u"\xD800", u"\xD801"));
}

}  // namespace
