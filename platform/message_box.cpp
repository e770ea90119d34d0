#include "message_box.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace platform {

namespace {
ConsoleMessageBox g_console;
std::atomic<IMessageBox*> g_box{&g_console};
std::mutex g_recordLock;
}  // namespace

int ConsoleMessageBox::Show(void*, const char* text, const char* caption, unsigned flags) {
    if (caption && *caption) std::fprintf(stderr, "%s: ", caption);
    std::fputs(text ? text : "", stderr);
    size_t n = text ? std::char_traits<char>::length(text) : 0;
    if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
    unsigned kind = flags & 0xF;
    return (kind == MB_YESNO || kind == MB_YESNOCANCEL) ? IDYES : IDOK;
}

int RecordingMessageBox::Show(void* owner, const char* text, const char* caption, unsigned flags) {
    std::lock_guard<std::mutex> lock(g_recordLock);
    calls.push_back(
        {owner != nullptr, text ? text : "", caption ? caption : "", caption != nullptr, flags});
    size_t i = calls.size() - 1;
    return i < answers.size() ? answers[i] : IDOK;
}

IMessageBox& GetMessageBox() { return *g_box.load(); }

IMessageBox* SetMessageBox(IMessageBox* box) { return g_box.exchange(box ? box : &g_console); }

}  // namespace platform

int MessageBoxA(void* owner, const char* text, const char* caption, unsigned flags) {
    return platform::GetMessageBox().Show(owner, text, caption, flags);
}
