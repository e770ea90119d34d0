#pragma once
// The main window's sizers: the list and the name box stretch with the window, each button takes
// at least the width its text needs in its own font, and Tab follows the reading order.

#include <wx/dialog.h>

#include <map>

namespace app {

struct MainLayoutParts {
    std::map<int, wxWindow*> controls;  // the template's controls by id
    wxWindow* progressBar = nullptr;
    wxWindow* progressText = nullptr;
    wxString widestProgress;  // the longest text progressText shows, for its width
};

// Puts the controls into sizers, orders Tab as they read and sizes the window to fit.
void BuildMainLayout(wxDialog* dialog, const MainLayoutParts& parts);

// After the texts or fonts changed: every control's new size, and a window grown to hold them.
void RefitMainLayout(wxDialog* dialog, const MainLayoutParts& parts);

}  // namespace app
