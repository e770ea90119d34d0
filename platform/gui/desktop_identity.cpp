#include "platform/gui/desktop_identity.h"

#include <glib.h>

namespace platform {

void SetDesktopApplicationId(const char* id) { g_set_prgname(id); }

}  // namespace platform
