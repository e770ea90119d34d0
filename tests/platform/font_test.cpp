#include "platform/font.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Font, KeepsTheDescriptionWholeAndCutsAnUnterminatedFace) {
    platform::CFont font;
    LOGFONTA out{};
    EXPECT_TRUE(font.IsEmpty());
    EXPECT_FALSE(font.GetLogFont(&out));
    EXPECT_FALSE(font.CreateFontIndirect(nullptr));

    LOGFONTA lf{};
    lf.lfHeight = -11;
    lf.lfWeight = 700;
    lf.lfQuality = 5;
    std::memset(lf.lfFaceName, 'A', sizeof lf.lfFaceName);
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    ASSERT_TRUE(font.GetLogFont(&out));
    EXPECT_EQ(out.lfHeight, -11);
    EXPECT_EQ(out.lfWeight, 700);
    EXPECT_EQ(out.lfQuality, 5);
    EXPECT_EQ(std::strlen(out.lfFaceName), 31u);

    EXPECT_TRUE(font.DeleteObject());
    EXPECT_FALSE(font.DeleteObject());
    EXPECT_TRUE(font.IsEmpty());
}

}  // namespace
