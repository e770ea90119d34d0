#include "app/about_dialog.h"

#include "app/template_dialog.h"
#include "resources/resource_ids.h"

namespace app {

CAboutDialog::CAboutDialog(wxWindow* parent) {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(IDD_ABOUTBOX);
    Create(parent, wxID_ANY, wxString::FromUTF8(t->caption), wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    BuildFromTemplate(this, *t);
    SetAffirmativeId(wxID_OK);
    SetEscapeId(wxID_OK);
    CentreOnParent();
}

}  // namespace app
