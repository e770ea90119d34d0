#pragma once
// Pop-up menu 264: one top-level submenu "PopupMenu" holding "Language" (a placeholder separator,
// replaced by the language entries at run time), "Font" and "About".

#include <span>

namespace resources {

struct MenuItemResource {
    const char* text;                            // nullptr for a separator
    int id;                                      // command id; 0 for submenus and separators
    std::span<const MenuItemResource> children;  // non-empty only for submenus
    bool isSubmenu;
    bool checkable = false;
};

struct MenuResource {
    int id;
    std::span<const MenuItemResource> items;
};

// nullptr for an unknown id.
const MenuResource* FindMenu(int id);

}  // namespace resources
