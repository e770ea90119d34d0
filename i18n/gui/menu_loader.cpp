#include "i18n/menu_loader.h"

#include <wx/menu.h>

#include "platform/menu_ids.h"
#include "resources/menu_resources.h"

namespace i18n {

namespace {

wxMenu* BuildMenu(std::span<const resources::MenuItemResource> items) {
    auto* menu = new wxMenu;
    for (const resources::MenuItemResource& item : items) {
        if (!item.text)
            menu->AppendSeparator();
        else if (item.isSubmenu)
            menu->AppendSubMenu(BuildMenu(item.children), wxString::FromUTF8(item.text));
        else if (item.checkable)
            menu->AppendCheckItem(platform::ToWxMenuId(item.id), wxString::FromUTF8(item.text));
        else
            menu->Append(platform::ToWxMenuId(item.id), wxString::FromUTF8(item.text));
    }
    return menu;
}

}  // namespace

wxMenu* LoadMenuResource(int menuId) {
    const resources::MenuResource* resource = resources::FindMenu(menuId);
    return resource ? BuildMenu(resource->items) : nullptr;
}

}  // namespace i18n
