#pragma once
// Text of the program (UTF-8, or bytes of a file name that are not) as a window shows it.

#include <wx/string.h>

#include <string>

namespace platform {

// wxString::FromUTF8 gives an empty string for text that is not UTF-8: such bytes show as U+FFFD.
wxString ShownText(const std::string& text);

}  // namespace platform
