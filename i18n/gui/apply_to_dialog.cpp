#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <cstdint>

#include "i18n/language_table.h"
#include "platform/wx_font.h"

namespace {

// Edit, list-view and spin controls keep what the user or the program put in them.
bool KeepsOwnText(wxWindow* child) {
    return dynamic_cast<wxTextCtrl*>(child) || dynamic_cast<wxListCtrl*>(child) ||
           dynamic_cast<wxSpinButton*>(child) || dynamic_cast<wxSpinCtrl*>(child) ||
           dynamic_cast<wxSpinCtrlDouble*>(child);
}

wxItemContainer* AsComboBox(wxWindow* child) {
    if (auto* combo = dynamic_cast<wxComboBox*>(child)) return combo;
    if (auto* choice = dynamic_cast<wxChoice*>(child)) return choice;
    return nullptr;
}

// The first child with the id, as a dialog item lookup finds it.
wxWindow* FindDialogItem(wxWindow* dialog, int id) {
    for (wxWindow* child : dialog->GetChildren())
        if (static_cast<int16_t>(child->GetId()) == id) return child;
    return nullptr;
}

}  // namespace

bool CLanguageTable::ApplyToDialog(wxWindow* dialog, int dialogId) {
    if (m_languages.empty() || !dialog) return false;
    wxFont font = platform::ToWxFont(InterfaceFont);
    std::string title = GetDialogText(dialogId);
    if (!title.empty()) {
        // The font is not set on the dialog itself: GTK would hand it down to every child,
        // while only the localised controls are to take it. A title bar keeps the system font.
        if (auto* top = dynamic_cast<wxTopLevelWindow*>(dialog))
            top->SetTitle(wxString::FromUTF8(title));
        else
            dialog->SetLabel(wxString::FromUTF8(title));
    }
    // A copy: setting texts never changes the children, but the walk must not depend on it.
    wxWindowList children = dialog->GetChildren();
    for (wxWindow* child : children) {
        if (child->IsTopLevel() || KeepsOwnText(child)) continue;
        int id = static_cast<int16_t>(child->GetId());
        if (id <= 0) continue;
        std::string text = id >= 100 ? GetDialogText(id) : GetString(id);
        if (text.empty()) continue;
        if (wxItemContainer* combo = AsComboBox(child)) {
            combo->Clear();
            size_t start = 0;
            for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
                combo->Append(wxString::FromUTF8(text.substr(start, lf - start)));
            combo->Append(wxString::FromUTF8(text.substr(start)));
            continue;
        }
        if (wxWindow* item = FindDialogItem(dialog, id)) item->SetLabel(wxString::FromUTF8(text));
        child->SetFont(font);
        child->Refresh();
    }
    return true;
}
