#pragma once
// UTF-16 / UTF-8 conversion for paths and names, as text/utf.h converts: a byte that is not part
// of valid UTF-8 becomes the lone surrogate U+DC00 + byte and converts back to itself.

#include <string>

#include "wm_types.h"

namespace wm {

std::string ToUtf8(const WCHAR* s);
std::string ToUtf8(const std::u16string& s);
std::u16string FromUtf8(const std::string& s);
size_t WideLength(const WCHAR* s);

}  // namespace wm
