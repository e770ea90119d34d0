#include "text/case_blind.h"

#include <cwctype>

#include "text/code_point.h"

namespace text {

namespace {

bool Even(char32_t c) { return c % 2 == 0; }

char32_t FoldLatin(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    if (c < 0x100) return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? c + 0x20 : c;
    if (c == 0x130) return 'i';  // glibc's lower case; U+0131 stays dotless
    if (c == 0x178) return 0xFF;
    if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && Even(c)) return c + 1;
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && !Even(c)) return c + 1;
    return c;
}

char32_t FoldGreek(char32_t c) {
    if (c == 0x370 || c == 0x372 || c == 0x376) return c + 1;
    if (c == 0x37F) return 0x3F3;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x3CF) return 0x3D7;
    if (c >= 0x3D8 && c <= 0x3EF && Even(c)) return c + 1;
    if (c == 0x3F4) return 0x3B8;
    if (c == 0x3F7 || c == 0x3FA) return c + 1;
    if (c == 0x3F9) return 0x3F2;
    if (c >= 0x3FD) return c - 130;
    return c;
}

char32_t FoldCyrillic(char32_t c) {
    if (c < 0x410) return c + 0x50;
    if (c < 0x430) return c + 0x20;
    if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || c >= 0x4D0) && Even(c))
        return c + 1;
    if (c == 0x4C0) return 0x4CF;
    if (c >= 0x4C1 && c <= 0x4CE && !Even(c)) return c + 1;
    return c;
}

char32_t Fold(char32_t c) {
    if (c < 0x180) return FoldLatin(c);
    if (c >= 0x370 && c < 0x400) return FoldGreek(c);
    if (c >= 0x400 && c < 0x500) return FoldCyrillic(c);
    if (detail::IsSurrogate(c)) return c;
    return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
}

// Walks both texts a code point at a time; escaped bytes and lone surrogates are surrogates,
// which fold to themselves.
template <class View, class Next>
bool SameFolded(View a, View b, Next next) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t ca = next(a, i), cb = next(b, j);
        if (ca != cb && Fold(ca) != Fold(cb)) return false;
    }
    return i == a.size() && j == b.size();
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return SameFolded(a, b, detail::NextFromUtf8);
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return SameFolded(a, b, detail::NextFromUtf16);
}

std::string ToLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace text
