#pragma once
// UTF-16 / UTF-8 conversion for paths and names.

#include <string>

#include "wm_types.h"

namespace wm {

std::string ToUtf8(const WCHAR* s);
std::string ToUtf8(const std::u16string& s);
std::u16string FromUtf8(const std::string& s);
size_t WideLength(const WCHAR* s);

}  // namespace wm
