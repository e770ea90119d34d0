// Reads "8 <hex bytes>" or "16 <hex units>" lines; answers each with two hex fields ("-" for
// empty): for bytes, their UTF-16 and that converted back; for UTF-16, its UTF-8 and display form.
#include <cstdio>
#include <iostream>
#include <string>

#include "text/utf.h"

namespace {

int Nibble(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

template <class String>
String FromHex(const std::string& hex, size_t digits) {
    String out;
    if (hex == "-") return out;
    for (size_t i = 0; i + digits <= hex.size(); i += digits) {
        unsigned v = 0;
        for (size_t k = 0; k < digits; ++k) v = v << 4 | unsigned(Nibble(hex[i + k]));
        out += static_cast<typename String::value_type>(v);
    }
    return out;
}

template <class String>
std::string ToHex(const String& s) {
    if (s.empty()) return "-";
    std::string out;
    char b[8];
    for (auto c : s) {
        if constexpr (sizeof c == 1)
            std::snprintf(b, sizeof b, "%02x", unsigned(static_cast<unsigned char>(c)));
        else
            std::snprintf(b, sizeof b, "%04x", unsigned(c));
        out += b;
    }
    return out;
}

}  // namespace

int main() {
    std::ios::sync_with_stdio(false);
    std::string kind, hex;
    while (std::cin >> kind >> hex) {
        if (kind == "8") {
            std::u16string wide = text::Utf8ToUtf16(FromHex<std::string>(hex, 2));
            std::cout << ToHex(wide) << ' ' << ToHex(text::Utf16ToUtf8(wide)) << '\n';
        } else {
            std::u16string wide = FromHex<std::u16string>(hex, 4);
            std::cout << ToHex(text::Utf16ToUtf8(wide)) << ' '
                      << ToHex(text::Utf16ToDisplayUtf8(wide)) << '\n';
        }
    }
    return 0;
}
