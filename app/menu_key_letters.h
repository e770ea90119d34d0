#pragma once
// Key letters (&) for menu entries whose texts come from elsewhere, such as file names.

#include <wx/string.h>

#include <set>

namespace app {

// text shown as is (any & doubled), with & before its first letter or digit not yet in taken;
// that letter joins taken. No free one: no key letter.
wxString WithFreeKeyLetter(const wxString& text, std::set<wxString>& taken);

}  // namespace app
