#pragma once
// The engine's message routine.

#include <cstdarg>
#include <string>

#include "wm_interfaces.h"

namespace engine {

// The longest formatted message text, in bytes; a longer one is cut there.
constexpr size_t kReportTextLimit = 1023;

// Formats like printf (cut to kReportTextLimit bytes) and shows it as a task-modal warning
// without owner or caption; returns 1 once the box is dismissed. Callable from any thread; no
// lock is held while the box is open. Wide names go through ShownName.
int ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats like vsnprintf into a string cut to kReportTextLimit bytes.
std::string FormatReportText(const char* format, va_list args)
    __attribute__((format(printf, 1, 0)));

// A UTF-16 name as UTF-8 for a message (lone surrogates as U+FFFD, null as "(null)").
std::string ShownName(const char16_t* name);

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
