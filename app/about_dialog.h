#pragma once
// The About box, template 100: the icon, the product name, the version line and the maker's
// lines; closed by OK, Escape or its close box. Not localised.

#include <wx/dialog.h>

namespace app {

class CAboutDialog : public wxDialog {
  public:
    explicit CAboutDialog(wxWindow* parent);
};

}  // namespace app
