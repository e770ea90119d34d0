#include "platform/gui/shown_text.h"

#include "text/utf.h"

namespace platform {

wxString ShownText(const std::string& text) {
    return wxString::FromUTF8(text::Utf16ToDisplayUtf8(text::Utf8ToUtf16(text)));
}

}  // namespace platform
