#include "platform/gui/wx_font_chooser.h"

#include <wx/fontdlg.h>

#include "platform/wx_font.h"

namespace platform {

bool CWxFontChooser::ChooseFont(const FontChooserRequest& request, LOGFONTA& chosen) {
    wxFontData data;
    if (request.flags & CF_INITTOLOGFONTSTRUCT) {
        CFont initial;
        initial.CreateFontIndirect(&request.logFont);
        data.SetInitialFont(ToPointSizedWxFont(initial));
    }
    data.EnableEffects((request.flags & CF_EFFECTS) != 0);
    wxFontDialog dialog(static_cast<wxWindow*>(request.owner), data);
    if (dialog.ShowModal() != wxID_OK) return false;
    LOGFONTA result = request.logFont;
    ToLogFont(dialog.GetFontData().GetChosenFont(), result);
    chosen = result;
    return true;
}

}  // namespace platform
