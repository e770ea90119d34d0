#pragma once
// The engine's message routine and the wvsprintfA-style formatter behind it.

#include <cstdarg>
#include <cstddef>
#include <string>

#include "wm_interfaces.h"

namespace engine {

constexpr size_t kReportBufferSize = 1024;

// Formats like wvsprintfA: %[-][#][0][width][.precision][h|l|w]type with types c d i u x X s S;
// %ws, %ls and %S take a UTF-16 string, shown as UTF-8. Integers are 32-bit. The text is cut to
// fit size - 1 bytes; returns its length.
int FormatMessageText(char* buffer, size_t size, const char* format, va_list args);

// Formats into the one shared 1024-byte buffer and shows it as a task-modal warning without owner
// or caption; returns 1 once the box is dismissed. Callable from any thread.
int ReportError(const char* format, ...);

// While one lives, every ReportError message (from any thread) ends with its line, so that a
// message about "the second file" also names the input it is about. Not nested.
class ScopedReportContext {
  public:
    explicit ScopedReportContext(std::string line);
    ~ScopedReportContext();
    ScopedReportContext(const ScopedReportContext&) = delete;
    ScopedReportContext& operator=(const ScopedReportContext&) = delete;
};

// The runtime's account of object's last failed file operation as one more message line
// ("path: No space left on device\n"), or "" when it knows none.
std::string FileReasonLine(IUnknown* object);

}  // namespace engine
