// The main window's pop-up menu: Language (one entry per language file), Font, Gapless joining,
// Mark each part and About.

#include <wx/menu.h>

#include <set>

#include "app/main_dialog.h"
#include "app/menu_key_letters.h"
#include "i18n/language_table.h"
#include "i18n/menu_loader.h"
#include "platform/menu_ids.h"
#include "platform/message_box.h"
#include "text/case_blind.h"

namespace app {

void CMainDialog::ShowPopupMenu(int x, int y, int menuId) {
    wxMenu* menu = i18n::LoadMenuResource(menuId);
    if (!menu) {
        MessageBoxA(nullptr, "Can not find Language Menu!", "error", MB_OK);
        return;
    }
    wxMenuItem* top = menu->GetMenuItemCount() > 0 ? menu->FindItemByPosition(0) : nullptr;
    if (top && top->GetSubMenu()) {
        wxMenu* popup = top->GetSubMenu();
        FillLanguageMenu(menu, popup);
        if (wxMenuItem* gapless = popup->FindItem(platform::ToWxMenuId(IDM_GAPLESS)))
            gapless->Check(GaplessJoining());
        if (wxMenuItem* parts = popup->FindItem(platform::ToWxMenuId(IDM_PART_MARKERS)))
            parts->Check(PartMarkers());
        // A submenu is shown on its own only once taken out of its menu.
        menu->Remove(top);
        TrackPopup(popup, wxPoint(x, y));
        delete top;  // and popup with it
    }
    delete menu;
}

void CMainDialog::FillLanguageMenu(wxMenu* menu, wxMenu* popup) {
    wxMenuItem* languageItem =
        popup->GetMenuItemCount() > 0 ? popup->FindItemByPosition(0) : nullptr;
    wxMenu* languageMenu = languageItem ? languageItem->GetSubMenu() : nullptr;
    if (!languageMenu) return;
    if (languageMenu->GetMenuItemCount() > 0)
        languageMenu->Destroy(languageMenu->FindItemByPosition(0));  // the placeholder
    const std::string current = g_languageTable.GetCurrentLanguage();
    std::set<wxString> keyLetters;
    for (int i = 0; i < g_languageTable.GetLanguageCount(); ++i) {
        int id = ID_LANGUAGE_FIRST + i;
        if (!platform::CanCarryMenuId(id)) break;  // thousands of files: the rest cannot be shown
        std::string name = g_languageTable.GetLanguageName(i);
        wxMenuItem* item = languageMenu->AppendCheckItem(
            platform::ToWxMenuId(id), WithFreeKeyLetter(wxString::FromUTF8(name), keyLetters));
        item->Check(text::SameIgnoringCase(name, current));
    }
    g_languageTable.ApplyToMenu(menu, IDR_POPUP_MENU, true);
}

void CMainDialog::TrackPopup(wxMenu* popup, const wxPoint& where) { PopupMenu(popup, where); }

}  // namespace app
