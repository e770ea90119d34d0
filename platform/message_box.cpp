#include "platform/message_box.h"

#include <cstdio>
#include <string>

#include "platform/services.h"

namespace platform {

int ConsoleMessageBox::Show(void*, const char* text, const char* caption, unsigned flags) {
    if (caption && *caption) std::fprintf(stderr, "%s: ", caption);
    std::fputs(text ? text : "", stderr);
    size_t n = text ? std::char_traits<char>::length(text) : 0;
    if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
    unsigned kind = flags & 0xF;
    return (kind == MB_YESNO || kind == MB_YESNOCANCEL) ? IDYES : IDOK;
}

}  // namespace platform

int MessageBoxA(void* owner, const char* text, const char* caption, unsigned flags) {
    return platform::InstalledServices().messageBox->Show(owner, text, caption, flags);
}
