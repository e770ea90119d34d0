#pragma once
// Controls of a dialog template on a wxDialog: created in template order (the tab order), placed
// in dialog units of the dialog's font, with their template ids and texts.

#include <wx/dialog.h>

#include <map>

#include "resources/dialog_templates.h"

namespace app {

// The template's controls as created, by id (labels with id -1 are not listed). Sizes the
// dialog's client area to the template.
std::map<int, wxWindow*> BuildFromTemplate(wxDialog* dialog, const resources::DialogTemplate& t);

// Centres the labels with a vertically centred template style in their boxes, for their
// current font.
void CentreLabels(wxDialog* dialog, const resources::DialogTemplate& t,
                  const std::map<int, wxWindow*>& controls);

// The window id of a template id: IDOK and IDCANCEL become wxID_OK and wxID_CANCEL.
int WindowIdOf(int templateId);

}  // namespace app
