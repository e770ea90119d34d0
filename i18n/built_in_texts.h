#pragma once
// The program's own (English) dialog and menu texts, for keys a language file does not set.

#include <string>

namespace i18n {

// A dialog's caption by its id, else the template text of the control with that id; "" for none.
std::string BuiltInDialogText(int id);
// A menu's top-level texts joined by commas (its own id), its submenus below the top level by
// id * 65536 + n in depth-first order, or an item's text by command id; "" for none.
std::string BuiltInMenuText(int id);

}  // namespace i18n
