#pragma once
// The text library's own steps over code points; not for other modules.

#include <string>
#include <string_view>

namespace text::detail {

constexpr char32_t kByteEscape = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

inline bool IsSurrogate(char32_t c) { return c >= 0xD800 && c < 0xE000; }

// The code point at s[i], advancing i; a byte that does not start valid UTF-8 gives
// kByteEscape + byte and advances by one.
char32_t NextFromUtf8(std::string_view s, size_t& i);

// The code point at s[i] (a surrogate pair joined), advancing i; a lone surrogate comes as is.
char32_t NextFromUtf16(std::u16string_view s, size_t& i);

void AppendUtf8(std::string& out, char32_t c);

}  // namespace text::detail
