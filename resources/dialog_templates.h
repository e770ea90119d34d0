#pragma once
// Dialog templates 100 (About box) and 102 (main window): controls in template order, which is
// also the tab order; positions and sizes in dialog units.

#include <cstdint>
#include <span>

namespace resources {

enum class ControlKind {
    PushButton,
    DefPushButton,
    StaticText,
    Icon,
    Edit,
    ListView,
};

struct DialogControl {
    int id;  // -1 for labels that are never addressed
    ControlKind kind;
    const char* text;  // template text; empty for edit, list view and icon
    int iconId;        // the icon resource of an Icon control, else 0
    int x, y, width, height;
    uint32_t style;  // Win32 style bits (WS_CHILD, WS_VISIBLE, WS_TABSTOP, kind styles)
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontName;
    int fontPointSize;
    int width, height;
    uint32_t style;
    uint32_t exStyle;
    std::span<const DialogControl> controls;
};

// nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

// The control's tab-stop bit.
bool IsTabStop(const DialogControl& control);

}  // namespace resources
