#include "app/menu_key_letters.h"

#include <wx/crt.h>

namespace app {

wxString WithFreeKeyLetter(const wxString& text, std::set<wxString>& taken) {
    wxString shown;
    bool marked = false;
    for (wxUniChar c : text) {
        if (!marked && wxIsalnum(c) && taken.insert(wxString(c).Lower()).second) {
            shown += '&';
            marked = true;
        }
        shown += c;
        if (c == '&') shown += '&';
    }
    return shown;
}

}  // namespace app
