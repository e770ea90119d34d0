// The words under the progress bar: the share done, then the time left at the pace so far.

#include "app/join_progress_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(JoinProgressText, TheTimeLeftFollowsThePaceOnceItCanBeJudged) {
    EXPECT_EQ(app::JoinProgressText(0.0, 5, "Time left:"), "0%");
    EXPECT_EQ(app::JoinProgressText(0.005, 30, "Time left:"), "0%");  // too little done
    EXPECT_EQ(app::JoinProgressText(0.5, 0.5, "Time left:"), "50%");  // too early
    // A quarter in 10 s: three quarters take 30 s more.
    EXPECT_EQ(app::JoinProgressText(0.25, 10, "Time left:"), "25%   Time left: 0:30");
    EXPECT_EQ(app::JoinProgressText(0.1, 400, "Restzeit:"), "10%   Restzeit: 1:00:00");
    EXPECT_EQ(app::JoinProgressText(0.999, 100, "Time left:"), "99%   Time left: 0:01");
    EXPECT_EQ(app::JoinProgressText(1.0, 100, "Time left:"), "100%");
    EXPECT_EQ(app::JoinProgressText(7.0, 100, "Time left:"), "100%");
    EXPECT_EQ(app::JoinProgressText(std::numeric_limits<double>::quiet_NaN(), 9, "x"), "0%");
}

TEST(JoinProgressText, ClockTextUsesHoursOnlyFromAnHour) {
    EXPECT_EQ(app::ClockText(-3), "0:00");
    EXPECT_EQ(app::ClockText(59), "0:59");
    EXPECT_EQ(app::ClockText(3599), "59:59");
    EXPECT_EQ(app::ClockText(3600), "1:00:00");
    EXPECT_EQ(app::ClockText(36000 + 61), "10:01:01");
}

}  // namespace
