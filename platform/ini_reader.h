#pragma once
// The INI-file reader behind GetPrivateProfileStringA, with the documented Windows rules:
// case-blind section and key names, blanks trimmed around names and values, the first matching
// section and key win, ';' comment lines, one pair of surrounding quotes removed, values cut to
// fit the buffer, UTF-16 files (with BOM) converted to UTF-8. A missing file, section or key gives
// the default.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The file's bytes as UTF-8 text: a UTF-8 BOM is dropped, UTF-16 with a BOM is converted.
std::string DecodeProfileText(std::string_view bytes);

// The value of key in section of INI text, or nullopt when either is absent.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// Copies value into buffer, cut to size - 1 bytes and never inside a UTF-8 character, and
// terminates it. Returns the bytes copied, terminator excluded.
size_t CopyProfileValue(std::string_view value, char* buffer, size_t size);

// Copies the value (or the default) into buffer, cut to size - 1 bytes and never inside a UTF-8
// character, and terminates it. Returns the bytes copied, terminator excluded.
size_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                         char* buffer, size_t size, const char* path);

}  // namespace platform

// The call sites use the Win32 shape.
unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* path);
