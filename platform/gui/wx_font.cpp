#include "platform/wx_font.h"

#include <cstdlib>

namespace platform {

wxFont ToWxFont(const CFont& font) {
    LOGFONTA lf;
    if (!font.GetLogFont(&lf)) return wxNullFont;
    // A negative height is the character height, a positive one the cell height; both are pixels.
    int pixels = lf.lfHeight == 0 ? 0 : std::abs(lf.lfHeight);
    wxFontInfo info = pixels > 0 ? wxFontInfo(wxSize(0, pixels)) : wxFontInfo();
    info.FaceName(wxString::FromUTF8(lf.lfFaceName))
        .Italic(lf.lfItalic != 0)
        .Underlined(lf.lfUnderline != 0)
        .Strikethrough(lf.lfStrikeOut != 0);
    wxFont result(info);
    if (lf.lfWeight > 0 && lf.lfWeight <= 1000) result.SetNumericWeight(lf.lfWeight);
    return result;
}

}  // namespace platform
