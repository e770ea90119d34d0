#include "join_checks.h"

#include <sys/stat.h>

#include "report_error.h"
#include "text/case_blind.h"
#include "text/utf.h"

namespace engine {

namespace {

bool SameName(const char* a, const char* b) { return a && b && text::SameIgnoringCase(a, b); }

}  // namespace

bool Utf8ToWide(const char* utf8, std::u16string& out) {
    out = utf8 ? text::Utf8ToUtf16(utf8) : std::u16string();
    return utf8 != nullptr;
}

HRESULT ToWideString(const char* path, std::u16string* out) {
    if (!path || !out) return E_INVALIDARG;
    Utf8ToWide(path, *out);
    return S_OK;
}

HRESULT CheckJoinNames(const char* first, const char* second, const char* output) {
    if (SameName(first, output)) {
        ReportError("First file name and destination file name are same. This is not allowed.\n");
        return E_INVALIDARG;
    }
    if (SameName(second, output)) {
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
