#include "wide_string.h"

namespace wm {

size_t WideLength(const WCHAR* s) {
    size_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

std::string ToUtf8(const WCHAR* s) { return ToUtf8(std::u16string(s ? s : u"")); }

// Bytes that are not UTF-8 (legal in Linux file names) travel as the lone surrogates
// U+DC80..U+DCFF and come back as the same bytes, so every name survives the round trip.
constexpr char16_t kByteEscape = 0xDC00;

std::string ToUtf8(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        } else if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
            out += static_cast<char>(c - kByteEscape);
            continue;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
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
    return out;
}

std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        uint32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0 && i + extra < s.size() + (extra == 0);
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) ok = false;
            c = c << 6 | (t & 0x3F);
        }
        // Overlong forms and encoded surrogates are not UTF-8 either.
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c > 0x10FFFF || c < kSmallest[extra < 0 ? 0 : extra] ||
            (c >= 0xD800 && c < 0xE000)) {
            out += static_cast<char16_t>(kByteEscape + b);
            ++i;
            continue;
        }
        i += extra + 1;
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

}  // namespace wm
