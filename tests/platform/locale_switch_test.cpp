#include "platform/locale_switch.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(LocaleSwitch, WindowsNamesMapToUtf8Locales) {
    EXPECT_EQ(platform::PosixLocaleCandidates("chs"), std::vector<std::string>{"zh_CN.UTF-8"});
    EXPECT_EQ(platform::PosixLocaleCandidates("DEU"), std::vector<std::string>{"de_DE.UTF-8"});
    EXPECT_EQ(platform::PosixLocaleCandidates("srl"),
              std::vector<std::string>{"sr_RS.UTF-8@latin"});
    EXPECT_EQ(platform::PosixLocaleCandidates("English").back(), "C.UTF-8");
    EXPECT_TRUE(platform::PosixLocaleCandidates("deutsch").empty());
}

TEST(LocaleSwitch, UnknownOrMissingLocaleLeavesTheLocaleUnchanged) {
    std::string before = std::setlocale(LC_ALL, nullptr);
    EXPECT_EQ(platform::SetRuntimeLocale(LC_ALL, "deutsch"), "");
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
    // English always has a locale: the C locale writes numbers the English way.
    EXPECT_NE(platform::SetRuntimeLocale(LC_NUMERIC, "English"), "");
    EXPECT_EQ(std::localeconv()->decimal_point[0], '.');
    std::setlocale(LC_ALL, before.c_str());
}

}  // namespace
