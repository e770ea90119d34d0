#include "app/join_progress_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace app {

std::string ClockText(long long seconds) {
    seconds = std::max(0LL, seconds);
    char text[32];
    if (seconds < 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    return text;
}

std::string JoinProgressText(double done, double elapsedSeconds, const std::string& timeLeftLabel) {
    done = std::clamp(std::isfinite(done) ? done : 0.0, 0.0, 1.0);
    std::string text = std::to_string(int(done * 100)) + "%";
    // Under a second or a hundredth done, the pace says little yet.
    if (done < 0.01 || done >= 1.0 || elapsedSeconds < 1.0) return text;
    double left = std::min(elapsedSeconds * (1.0 - done) / done, 1e7);
    return text + "   " + timeLeftLabel + " " + ClockText((long long)std::ceil(left));
}

}  // namespace app
