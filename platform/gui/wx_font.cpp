#include "platform/wx_font.h"

#include <wx/gdicmn.h>

#include <cmath>
#include <cstdlib>

#include "platform/ini_reader.h"

namespace platform {

namespace {

int ScreenPixelsPerInch() {
    int ppi = wxGetDisplayPPI().y;
    return ppi > 0 ? ppi : 96;
}

}  // namespace

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

wxFont ToPointSizedWxFont(const CFont& font) {
    wxFont result = ToWxFont(font);
    LOGFONTA lf;
    if (result.IsOk() && font.GetLogFont(&lf) && lf.lfHeight != 0)
        result.SetFractionalPointSize(std::abs(lf.lfHeight) * 72.0 / ScreenPixelsPerInch());
    return result;
}

void ToLogFont(const wxFont& font, LOGFONTA& description) {
    if (!font.IsOk()) return;
    // Chosen fonts come in points; the description holds the character height in pixels.
    double points = font.GetFractionalPointSize();
    if (points > 0)
        description.lfHeight =
            -static_cast<int32_t>(std::lround(points * ScreenPixelsPerInch() / 72.0));
    description.lfWeight = font.GetNumericWeight();
    description.lfItalic = font.GetStyle() != wxFONTSTYLE_NORMAL ? 1 : 0;
    description.lfUnderline = font.GetUnderlined() ? 1 : 0;
    description.lfStrikeOut = font.GetStrikethrough() ? 1 : 0;
    CopyProfileValue(font.GetFaceName().utf8_string(), description.lfFaceName, LF_FACESIZE);
}

}  // namespace platform
