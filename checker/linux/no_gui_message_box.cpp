#include "checker/linux/linux_platform.h"

// Built without wxWidgets: every message goes to standard error.
namespace kolvex {

bool ShowGuiMessageBox(const char*, const char*, unsigned) { return false; }
void EndGuiMessageBoxes() {}

}  // namespace kolvex
