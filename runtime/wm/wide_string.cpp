#include "wide_string.h"

#include "text/utf.h"

namespace wm {

size_t WideLength(const WCHAR* s) {
    size_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

std::string ToUtf8(const WCHAR* s) { return text::Utf16ToUtf8(s ? s : u""); }

std::string ToUtf8(const std::u16string& s) { return text::Utf16ToUtf8(s); }

std::u16string FromUtf8(const std::string& s) { return text::Utf8ToUtf16(s); }

}  // namespace wm
