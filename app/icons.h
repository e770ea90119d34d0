#pragma once
// The program's icons: 128, the 32 x 32 window and About icon, and 101, its 16 x 16 form.

#include <wx/icon.h>

namespace app {

// wxNullIcon for an unknown id.
wxIcon LoadAppIcon(int id);

}  // namespace app
