#include "text/utf.h"

#include "text/code_point.h"

namespace text {

namespace detail {

char32_t NextFromUtf8(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = byte(i);
    if (b < 0x80) {
        ++i;
        return b;
    }
    // Lead byte: count of continuation bytes and the range the first of them must fall in, which
    // refuses overlong forms, encoded surrogates and values above U+10FFFF.
    int extra = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t c = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2, c = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3, c = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    }
    bool ok = extra > 0 && i + extra < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
        unsigned char t = byte(i + k);
        ok = k == 1 ? (t >= low && t <= high) : (t & 0xC0) == 0x80;
        c = c << 6 | (t & 0x3F);
    }
    if (!ok) {
        ++i;
        return kByteEscape + b;
    }
    i += extra + 1;
    return c;
}

char32_t NextFromUtf16(std::u16string_view s, size_t& i) {
    char32_t c = s[i++];
    if (c >= 0xD800 && c < 0xDC00 && i < s.size() && s[i] >= 0xDC00 && s[i] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace detail

using namespace detail;

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = NextFromUtf8(utf8, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size();) {
        char32_t c = NextFromUtf16(utf16, i);
        if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF)
            out += static_cast<char>(c - kByteEscape);
        else
            AppendUtf8(out, IsSurrogate(c) ? kReplacement : c);
    }
    return out;
}

std::string Utf16ToDisplayUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size();) {
        char32_t c = NextFromUtf16(utf16, i);
        AppendUtf8(out, IsSurrogate(c) ? kReplacement : c);
    }
    return out;
}

}  // namespace text
