#include "app/icons.h"

#include "resources/resource_ids.h"

// Drawn for this program: a film strip whose two frames are joined.
#include "app/splicora_16.xpm"
#include "app/splicora_32.xpm"

namespace app {

wxIcon LoadAppIcon(int id) {
    if (id == IDR_MAINFRAME) return wxIcon(splicora_32_xpm);
    if (id == IDI_SMALL) return wxIcon(splicora_16_xpm);
    return wxNullIcon;
}

}  // namespace app
