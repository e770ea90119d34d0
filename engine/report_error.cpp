#include "report_error.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "file_error.h"
#include "platform/message_box.h"
#include "text/utf.h"

namespace engine {

namespace {

std::mutex g_contextLock;
std::string g_reportContext;  // guarded by g_contextLock

std::string ReportContext() {
    std::lock_guard<std::mutex> lock(g_contextLock);
    return g_reportContext;
}

}  // namespace

std::string FormatReportText(const char* format, va_list args) {
    char text[kReportTextLimit + 1];
    int length = std::vsnprintf(text, sizeof text, format, args);
    if (length < 0) return {};
    return std::string(text, std::min<size_t>(size_t(length), kReportTextLimit));
}

std::string ShownName(const char16_t* name) {
    if (!name) return "(null)";
    return text::Utf16ToDisplayUtf8(name);
}

int ReportError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatReportText(format, args);
    va_end(args);
    std::string context = ReportContext();
    if (!context.empty()) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += context + "\n";
    }
    MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    return 1;
}

ScopedReportContext::ScopedReportContext(std::string line) {
    std::lock_guard<std::mutex> lock(g_contextLock);
    g_reportContext = std::move(line);
}

ScopedReportContext::~ScopedReportContext() {
    std::lock_guard<std::mutex> lock(g_contextLock);
    g_reportContext.clear();
}

std::string FileReasonLine(IUnknown* object) {
    std::string reason = wm::FileErrorText(object);
    return reason.empty() ? reason : reason + "\n";
}

}  // namespace engine
