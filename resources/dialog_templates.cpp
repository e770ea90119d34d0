#include "resources/dialog_templates.h"

#include "resources/resource_ids.h"
#include "resources/window_styles.h"

namespace resources {

namespace {

constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr uint32_t kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;

constexpr DialogControl kMainControls[] = {
    {IDC_BUTTON_ADD_VIDEO, ControlKind::PushButton, "Add WMV", 0, 179, 7, 80, 14, kButton},
    {IDC_BUTTON_EXIT, ControlKind::PushButton, "Exit", 0, 185, 181, 66, 14, kButton},
    {IDC_LIST_FILES, ControlKind::ListView, "", 0, 7, 7, 170, 103,
     kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT},
    {IDC_BUTTON_ITEM_UP, ControlKind::PushButton, "Up", 0, 179, 29, 80, 14, kButton},
    {IDC_BUTTON_ITEM_DOWN, ControlKind::PushButton, "Down", 0, 179, 51, 80, 14, kButton},
    {IDC_BUTTON_ITEM_DELETE, ControlKind::PushButton, "Delete", 0, 179, 73, 80, 14, kButton},
    {IDC_BUTTON_ITEM_CLEAR, ControlKind::PushButton, "Clear", 0, 179, 95, 80, 14, kButton},
    {IDC_STATIC_OUTPUT_FILE, ControlKind::StaticText, "Output filename", 0, 7, 114, 90, 14,
     kChild | SS_LEFT | SS_CENTERIMAGE},
    {IDC_STATIC_TOTAL_DURATION, ControlKind::StaticText, "", 0, 97, 114, 79, 14,
     kChild | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX},
    {IDC_EDIT_OUTPUT_FILE, ControlKind::Edit, "", 0, 7, 131, 169, 14,
     kChild | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL},
    {IDC_BUTTON_BROWSE, ControlKind::PushButton, "Browse", 0, 185, 131, 66, 14, kButton},
    {IDC_BUTTON_CONVERT, ControlKind::PushButton, "Merge", 0, 7, 155, 66, 14, kButton},
    {IDC_BUTTON_PREVIEW_VIDEO, ControlKind::PushButton, "Preview", 0, 98, 155, 66, 14, kButton},
    {IDC_BUTTON_HELP, ControlKind::PushButton, "Help", 0, 185, 155, 66, 14, kButton},
    {IDC_BUTTON_HOMEPAGE, ControlKind::PushButton, "Homepage", 0, 98, 181, 66, 14, kButton},
};

constexpr uint32_t kLabel = kChild | SS_LEFT | SS_NOPREFIX;

constexpr DialogControl kAboutControls[] = {
    {IDC_STATIC, ControlKind::Icon, "", IDR_MAINFRAME, 11, 17, 20, 20, kChild | SS_ICON},
    {IDC_STATIC_PRODUCT_NAME, ControlKind::StaticText, "Splicora", 0, 40, 10, 188, 14, kLabel},
    {IDC_STATIC_VERSION, ControlKind::StaticText, "Version 1.1", 0, 40, 30, 183, 14, kLabel},
    {IDC_STATIC, ControlKind::StaticText, "Copyright (C) 2026 Quorvel. All rights reserved.", 0, 40,
     50, 188, 14, kLabel},
    {IDC_STATIC, ControlKind::StaticText, "Quorvel software for Windows Media files", 0, 40, 70,
     188, 14, kLabel},
    {IDC_STATIC, ControlKind::StaticText, "Web site: www.quorvel.example", 0, 40, 88, 188, 14,
     kLabel},
    {IDC_STATIC, ControlKind::StaticText, "Support: support@quorvel.example", 0, 40, 104, 188, 14,
     kLabel},
    {IDC_STATIC, ControlKind::StaticText,
     "Windows Media technologies are provided by Microsoft Corporation.\nWindows Media is a "
     "trademark of Microsoft Corporation.",
     0, 40, 124, 188, 26, kLabel},
    {1 /* IDOK */, ControlKind::DefPushButton, "OK", 0, 85, 159, 66, 14,
     kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

constexpr DialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "About Splicora", "MS Sans Serif", 8, 235, 180,
     DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, kAboutControls},
    {IDD_SPLICORA_DIALOG, "Splicora", "MS Sans Serif", 8, 266, 202,
     DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
     WS_EX_APPWINDOW, kMainControls},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : kTemplates)
        if (t.id == id) return &t;
    return nullptr;
}

bool IsTabStop(const DialogControl& control) { return (control.style & WS_TABSTOP) != 0; }

}  // namespace resources
