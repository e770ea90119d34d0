#pragma once
// UTF-8 <-> UTF-16 with one rule for invalid input, as Python's "surrogateescape":
// - a byte that is not part of valid UTF-8 becomes the lone surrogate U+DC00 + byte
//   (U+DC80..U+DCFF) and Utf16ToUtf8 turns it back into that byte, so any byte string
//   (a Linux file name) survives the round trip;
// - any other lone surrogate becomes U+FFFD in Utf16ToUtf8;
// - Utf16ToDisplayUtf8 shows every lone surrogate, escaped bytes too, as U+FFFD: its result is
//   always valid UTF-8 (for messages).

#include <string>
#include <string_view>

namespace text {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::string Utf16ToDisplayUtf8(std::u16string_view utf16);

}  // namespace text
