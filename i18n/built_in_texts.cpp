#include "i18n/built_in_texts.h"

#include "resources/dialog_templates.h"
#include "resources/menu_resources.h"
#include "resources/resource_ids.h"

namespace i18n {

namespace {

// The nth submenu below the top level, counted depth-first.
const char* NthSubmenu(std::span<const resources::MenuItemResource> items, int& n) {
    for (const resources::MenuItemResource& item : items) {
        if (!item.isSubmenu) continue;
        if (n-- == 0) return item.text;
        if (const char* found = NthSubmenu(item.children, n)) return found;
    }
    return nullptr;
}

const char* ItemText(std::span<const resources::MenuItemResource> items, int id) {
    for (const resources::MenuItemResource& item : items) {
        if (item.id == id && item.text) return item.text;
        if (const char* found = ItemText(item.children, id)) return found;
    }
    return nullptr;
}

}  // namespace

std::string BuiltInDialogText(int id) {
    const int dialogs[] = {IDD_SPLICORA_DIALOG, IDD_ABOUTBOX};
    if (const resources::DialogTemplate* own = resources::FindDialogTemplate(id))
        return own->caption;
    for (int dialog : dialogs)
        if (const resources::DialogTemplate* t = resources::FindDialogTemplate(dialog))
            for (const resources::DialogControl& control : t->controls)
                if (control.id == id && control.text) return control.text;
    return "";
}

std::string BuiltInMenuText(int id) {
    if (const resources::MenuResource* menu = resources::FindMenu(id)) {
        std::string fields;
        for (const resources::MenuItemResource& item : menu->items)
            fields += (fields.empty() ? "" : ",") + std::string(item.text ? item.text : "");
        return fields;
    }
    if (const resources::MenuResource* menu = resources::FindMenu(id >> 16)) {
        int n = id & 0xFFFF;
        for (const resources::MenuItemResource& top : menu->items)
            if (const char* text = NthSubmenu(top.children, n)) return text;
        return "";
    }
    for (int menuId : {IDR_POPUP_MENU})
        if (const resources::MenuResource* menu = resources::FindMenu(menuId))
            if (const char* text = ItemText(menu->items, id)) return text;
    return "";
}

}  // namespace i18n
