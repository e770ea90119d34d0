#pragma once
// Backslash escapes of quoted text, as the settings file and JSON write them: \\ \" \n \r \t.

#include <string>
#include <string_view>

namespace text {

// Appends text with those five escapes; with controlsAsUnicode, every other byte below 0x20
// becomes \u00XX (JSON), otherwise it is kept.
void AppendEscaped(std::string& out, std::string_view text, bool controlsAsUnicode);

}  // namespace text
