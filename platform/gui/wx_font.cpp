#include "platform/wx_font.h"

#include <wx/gdicmn.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/ini_reader.h"
#include "text/case_blind.h"

namespace platform {

namespace {

int ScreenPixelsPerInch() {
    int ppi = wxGetDisplayPPI().y;
    return ppi > 0 ? ppi : 96;
}

// The faces of the Windows user interface, which a Linux desktop does not have.
bool IsWindowsInterfaceFace(const char* face) {
    for (const char* windowsFace : {"MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg",
                                    "MS Shell Dlg 2", "Tahoma", "Segoe UI"})
        if (text::SameIgnoringCase(face, windowsFace)) return true;
    return false;
}

// Such a face at the stored default height takes the desktop's interface font size.
bool TakesDesktopSize(const LOGFONTA& lf) {
    return IsWindowsInterfaceFace(lf.lfFaceName) && lf.lfHeight == kDefaultInterfaceFontHeight;
}

}  // namespace

wxFont ToWxFont(const CFont& font) {
    LOGFONTA lf;
    if (!font.GetLogFont(&lf)) return wxNullFont;
    wxString face = wxString::FromUTF8(lf.lfFaceName);
    // A negative height is the character height (the em), a positive one the cell height (a
    // whole line, as the toolkit takes a pixel size); both are pixels.
    int pixels = int(std::min<int64_t>(std::abs(int64_t(lf.lfHeight)), 1000));
    wxFontInfo info = pixels == 0       ? wxFontInfo()
                      : lf.lfHeight < 0 ? wxFontInfo(pixels * 72.0 / ScreenPixelsPerInch())
                                        : wxFontInfo(wxSize(0, pixels));
    // A Windows interface face becomes the desktop's interface font; any other font is made as
    // described.
    if (IsWindowsInterfaceFace(lf.lfFaceName)) {
        wxFont desktop = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
        face = desktop.GetFaceName();
        if (TakesDesktopSize(lf)) info = wxFontInfo(desktop.GetFractionalPointSize());
    }
    info.FaceName(face)
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
    if (result.IsOk() && font.GetLogFont(&lf) && lf.lfHeight < 0 && !TakesDesktopSize(lf))
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
