#pragma once
// The runtime library's setlocale and the thread locale, for the Windows locale names the
// programs use: "english", the three-letter language abbreviations ("chs", "deu"), "English",
// and "" for the user's default. Each is mapped to a UTF-8 POSIX locale; a name with no mapping,
// or whose locale is not installed, leaves the locale unchanged.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The POSIX locales tried for a Windows name, in order; empty when the name is unknown.
std::vector<std::string> PosixLocaleCandidates(std::string_view windowsName);

// Sets category to the first installed candidate. Returns the POSIX name now set, or the empty
// string when the locale was left unchanged.
std::string SetRuntimeLocale(int category, const char* windowsName);

// Records the thread locale identifier (language id in the low 16 bits); 0x0409 until set.
void SetThreadLocale(uint32_t lcid);
uint32_t GetThreadLocale();

}  // namespace platform
