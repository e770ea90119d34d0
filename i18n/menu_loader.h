#pragma once
// A menu of the built-in resources as a wxMenu.

class wxMenu;

namespace i18n {

// The menu's top level with its submenus; nullptr for an unknown id. The caller deletes it.
wxMenu* LoadMenuResource(int menuId);

}  // namespace i18n
