#include "resources/menu_resources.h"

#include "resources/resource_ids.h"

namespace resources {

namespace {

constexpr MenuItemResource kLanguagePlaceholder[] = {
    {nullptr, 0, {}, false},
};

constexpr MenuItemResource kPopupItems[] = {
    {"&Language", 0, kLanguagePlaceholder, true},
    {"&Font", IDM_POPUPMENU_FONT, {}, false},
    {"&Gapless joining", IDM_GAPLESS, {}, false, true},
    {"&Mark each part", IDM_PART_MARKERS, {}, false, true},
    {"&About", IDM_ABOUT, {}, false},
};

constexpr MenuItemResource kPopupMenuTop[] = {
    {"PopupMenu", 0, kPopupItems, true},
};

constexpr MenuResource kMenus[] = {
    {IDR_POPUP_MENU, kPopupMenuTop},
};

}  // namespace

const MenuResource* FindMenu(int id) {
    for (const MenuResource& m : kMenus)
        if (m.id == id) return &m;
    return nullptr;
}

}  // namespace resources
