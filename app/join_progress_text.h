#pragma once
// The words under the list while a join runs: the share done and, once it can be told, the time
// left at the pace so far.

#include <string>

namespace app {

// m:ss below an hour, h:mm:ss from one; negative counts as 0.
std::string ClockText(long long seconds);

// "42%", or "42%   <timeLeftLabel> 1:23" once enough is done to judge the pace: done is the share
// of the bytes joined (0 to 1), elapsedSeconds the time since the join began.
std::string JoinProgressText(double done, double elapsedSeconds, const std::string& timeLeftLabel);

}  // namespace app
