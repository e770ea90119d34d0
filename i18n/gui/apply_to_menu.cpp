#include <wx/menu.h>

#include "i18n/language_table.h"
#include "platform/menu_ids.h"

bool CLanguageTable::ApplyToMenu(wxMenu* menu, int menuId, bool topLevel) {
    if (m_languages.empty() || !menu) return false;
    ApplyToMenuItems(menu, menuId, topLevel);
    return true;
}

// Submenus below the top level take the keys menuId * 65536, + 1, + 2 ... in depth-first order.
void CLanguageTable::ApplyToMenuItems(wxMenu* menu, int menuId, bool topLevel) {
    if (topLevel) m_popupKey = (menuId & 0xFFFF) << 16;
    for (size_t pos = 0; pos < menu->GetMenuItemCount(); ++pos) {
        wxMenuItem* item = menu->FindItemByPosition(pos);
        if (!item || item->IsSeparator()) continue;
        wxMenu* submenu = item->GetSubMenu();
        std::string text;
        if (topLevel)
            text = GetMenuField(menuId, static_cast<int>(pos));
        else if (submenu)
            text = GetMenuText(m_popupKey++);
        else
            text = GetMenuText(platform::FromWxMenuId(item->GetId()));
        if (!text.empty()) item->SetItemLabel(wxString::FromUTF8(text));
        if (submenu) ApplyToMenuItems(submenu, menuId, false);
    }
}
