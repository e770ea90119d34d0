#pragma once
// The name the desktop knows the program's windows by (the window class, and the application id
// under Wayland), so that docks and menus match them to its desktop entry.

namespace platform {

// Before the toolkit starts.
void SetDesktopApplicationId(const char* id);

}  // namespace platform
