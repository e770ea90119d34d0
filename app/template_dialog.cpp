#include "app/template_dialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/icons.h"
#include "resources/window_styles.h"

namespace app {

int WindowIdOf(int templateId) {
    if (templateId == 1) return wxID_OK;
    if (templateId == 2) return wxID_CANCEL;
    return templateId < 0 ? wxID_ANY : templateId;
}

std::map<int, wxWindow*> BuildFromTemplate(wxDialog* dialog, const resources::DialogTemplate& t) {
    std::map<int, wxWindow*> controls;
    dialog->SetClientSize(dialog->ConvertDialogToPixels(wxSize(t.width, t.height)));
    for (const resources::DialogControl& c : t.controls) {
        wxPoint pos = dialog->ConvertDialogToPixels(wxPoint(c.x, c.y));
        wxSize size = dialog->ConvertDialogToPixels(wxSize(c.width, c.height));
        int id = WindowIdOf(c.id);
        wxString text = wxString::FromUTF8(c.text);
        wxWindow* window = nullptr;
        switch (c.kind) {
            case resources::ControlKind::PushButton:
            case resources::ControlKind::DefPushButton: {
                auto* button = new wxButton(dialog, id, text, pos, size);
                if (c.kind == resources::ControlKind::DefPushButton) button->SetDefault();
                window = button;
                break;
            }
            case resources::ControlKind::StaticText:
                window = new wxStaticText(
                    dialog, id, text, pos, size,
                    ((c.style & SS_TYPEMASK) == SS_RIGHT ? wxALIGN_RIGHT : wxALIGN_LEFT) |
                        wxST_NO_AUTORESIZE);
                break;
            case resources::ControlKind::Icon:
                window = new wxStaticBitmap(dialog, id, LoadAppIcon(c.iconId), pos);
                break;
            case resources::ControlKind::Edit:
                window = new wxTextCtrl(dialog, id, text, pos, size, wxBORDER_SUNKEN);
                break;
            case resources::ControlKind::ListView:
                window = new wxListCtrl(dialog, id, pos, size,
                                        wxLC_REPORT | wxBORDER_SUNKEN | wxLC_HRULES | wxLC_VRULES);
                break;
        }
        if (window && c.id >= 0) controls[c.id] = window;
    }
    CentreLabels(dialog, t, controls);
    return controls;
}

void CentreLabels(wxDialog* dialog, const resources::DialogTemplate& t,
                  const std::map<int, wxWindow*>& controls) {
    for (const resources::DialogControl& c : t.controls) {
        auto it = controls.find(c.id);
        if (!(c.style & SS_CENTERIMAGE) || it == controls.end()) continue;
        wxPoint pos = dialog->ConvertDialogToPixels(wxPoint(c.x, c.y));
        wxSize size = dialog->ConvertDialogToPixels(wxSize(c.width, c.height));
        int h = std::min(it->second->GetBestSize().y, size.y);
        it->second->SetSize(pos.x, pos.y + (size.y - h) / 2, size.x, h);
    }
}

}  // namespace app
