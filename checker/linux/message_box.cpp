#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "checker/linux/linux_platform.h"

namespace kolvex {

namespace {

bool DisplayAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int CLinuxPlatform::MessageBoxA(HWND, const char* text, const char* caption, unsigned type) {
    if (!text) text = "";
    if (!caption) caption = "Error";  // the system's caption when none is given
    if (DisplayAvailable() && ShowGuiMessageBox(text, caption, type)) return IDOK;

    std::fprintf(stderr, "%s: %s", caption, text);
    size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
    return IDOK;
}

}  // namespace kolvex
