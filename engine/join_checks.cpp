#include "join_checks.h"

#include <sys/stat.h>

#include <cwctype>
#include <new>

#include "report_error.h"
#include "wide_string.h"

namespace engine {

namespace {

// Next code point of a UTF-8 string; false at a malformed sequence.
bool NextCodePoint(const unsigned char*& p, uint32_t& cp) {
    unsigned char c = *p++;
    if (c < 0x80) {
        cp = c;
        return true;
    }
    int extra;
    uint32_t minimum;
    if ((c & 0xE0) == 0xC0) {
        extra = 1, cp = c & 0x1F, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, cp = c & 0x0F, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, cp = c & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    return cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp < 0xE000);
}

// Lower case for the scripts a file name is likely to use; other characters compare as they are.
uint32_t FoldCase(uint32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && c % 2 == 0) return c + 1;
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) return c + 1;
    return uint32_t(std::towlower(wint_t(c)));
}

}  // namespace

bool Utf8ToWide(const char* text, std::u16string& out) {
    out = text ? wm::FromUtf8(text) : std::u16string();
    return text != nullptr;
}

HRESULT ToWideString(const char* path, WCHAR** out) {
    if (!path || !out) return E_INVALIDARG;
    std::u16string wide;
    Utf8ToWide(path, wide);
    WCHAR* copy = new (std::nothrow) WCHAR[wide.size() + 1];
    if (!copy) return E_OUTOFMEMORY;
    wide.copy(copy, wide.size());
    copy[wide.size()] = u'\0';
    *out = copy;
    return S_OK;
}

bool SameNameIgnoringCase(const char* a, const char* b) {
    if (!a || !b) return false;
    auto pa = reinterpret_cast<const unsigned char*>(a);
    auto pb = reinterpret_cast<const unsigned char*>(b);
    while (*pa && *pb) {
        const unsigned char* sa = pa;
        const unsigned char* sb = pb;
        uint32_t ca, cb;
        bool va = NextCodePoint(pa, ca), vb = NextCodePoint(pb, cb);
        if (!va || !vb) {  // not UTF-8: compare the bytes themselves
            pa = sa + 1, pb = sb + 1;
            if (*sa != *sb) return false;
            continue;
        }
        if (ca != cb && FoldCase(ca) != FoldCase(cb)) return false;
    }
    return *pa == *pb;
}

HRESULT CheckJoinNames(const char* first, const char* second, const char* output) {
    if (SameNameIgnoringCase(first, output)) {
        ReportError("First file name and destination file name are same. This is not allowed.\n");
        return E_INVALIDARG;
    }
    if (SameNameIgnoringCase(second, output)) {
        ReportError("Second file name and destination file name are same. This is not allowed.\n");
        return E_INVALIDARG;
    }
    return S_OK;
}

bool IsSameFile(const char* a, const char* b) {
    struct stat sa, sb;
    if (!a || !b || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int CharacterCount(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace engine
