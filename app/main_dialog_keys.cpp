// The main window's keys beyond Enter and Escape: Delete and Ctrl+A on the list, F1, the pop-up
// menu from the keyboard, and Alt with a letter marked by & in a button's or label's text.

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <iterator>

#include "app/main_dialog.h"

namespace app {

bool CMainDialog::OnShortcut(const wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const int modifiers = event.GetModifiers();
    wxWindow* focus = wxWindow::FindFocus();
    const bool inList = focus && (focus == m_fileList || m_fileList->IsDescendant(focus));
    if (key == WXK_F1 && modifiers == wxMOD_NONE) {
        OnButtonHelp();
    } else if ((key == WXK_MENU || key == WXK_WINDOWS_MENU) && modifiers == wxMOD_NONE) {
        ShowPopupMenuAtFocus();
    } else if (key == WXK_F10 && modifiers == wxMOD_SHIFT) {
        ShowPopupMenuAtFocus();
    } else if ((key == WXK_DELETE || key == WXK_NUMPAD_DELETE) && inList &&
               modifiers == wxMOD_NONE) {
        if (GetNextSelectedRow(-1) != -1) OnButtonItemDelete();
    } else if (modifiers == wxMOD_ALT) {
        return PressKeyLetter(event);
    } else if ((key == 'A' || key == WXK_CONTROL_A) && modifiers == wxMOD_CONTROL &&
               focus != m_outputEdit) {
        SelectAllRows();  // in the name box it selects the text
    } else {
        return false;
    }
    return true;
}

bool CMainDialog::PressKeyLetter(const wxKeyEvent& event) {
    wxChar typed = event.GetUnicodeKey();
    if (typed == WXK_NONE) typed = wxChar(event.GetKeyCode());
    const wxString letter = wxString(typed).Upper();
    const wxWindowList& children = GetChildren();
    for (auto it = children.begin(); it != children.end(); ++it) {
        wxWindow* control = *it;
        if (!control->IsEnabled() || !control->IsShown()) continue;
        const wxString label = control->GetLabel();
        size_t amp = 0;
        while ((amp = label.find('&', amp)) != wxString::npos && label.compare(amp, 2, "&&") == 0)
            amp += 2;
        if (amp == wxString::npos || amp + 1 >= label.size() ||
            wxString(label[amp + 1]).Upper() != letter)
            continue;
        if (auto* button = dynamic_cast<wxButton*>(control)) {
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            click.SetEventObject(button);
            button->ProcessWindowEvent(click);
            return true;
        }
        if (!dynamic_cast<wxStaticText*>(control)) continue;
        // A label's letter goes to the control after it.
        for (auto next = std::next(it); next != children.end(); ++next)
            if ((*next)->CanAcceptFocus()) {
                (*next)->SetFocus();
                return true;
            }
    }
    return false;
}

void CMainDialog::ShowPopupMenuAtFocus() {
    wxPoint where(0, 0);
    for (wxWindow* w = wxWindow::FindFocus(); w && w != this; w = w->GetParent()) {
        if (w->GetParent() != this) continue;
        where = w->GetPosition() + wxPoint(w->GetSize().x / 2, w->GetSize().y / 2);
        break;
    }
    ShowPopupMenu(where.x, where.y);
}

void CMainDialog::SelectAllRows() {
    for (long row = 0; row < m_fileList->GetItemCount(); ++row)
        m_fileList->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_fileList->SetFocus();
}

}  // namespace app
