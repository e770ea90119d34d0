#pragma once
// Numeric ids of the built-in resources: dialogs, controls, menus, strings and icons.

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_SPLICORA_DIALOG = 102;

// Icons.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDI_SMALL = 101;

// Pop-up menu and its commands.
constexpr int IDR_POPUP_MENU = 264;
constexpr int IDM_ABOUT = 32783;
constexpr int IDM_POPUPMENU_FONT = 32784;
constexpr int IDM_GAPLESS = 32785;       // check item
constexpr int IDM_PART_MARKERS = 32786;  // check item
constexpr int IDM_ABOUTBOX = 16;         // system menu item
// Language entries: ID_LANGUAGE_FIRST + the language's index; ids past ID_LANGUAGE_LAST do nothing.
constexpr int ID_LANGUAGE_FIRST = 45400;
constexpr int ID_LANGUAGE_LAST = 46399;

// Controls of the main window.
constexpr int IDC_BUTTON_ADD_VIDEO = 1000;
constexpr int IDC_LIST_FILES = 1001;
constexpr int IDC_BUTTON_ITEM_UP = 1002;
constexpr int IDC_BUTTON_ITEM_DOWN = 1003;
constexpr int IDC_BUTTON_ITEM_DELETE = 1004;
constexpr int IDC_BUTTON_ITEM_CLEAR = 1005;
constexpr int IDC_EDIT_OUTPUT_FILE = 1006;
constexpr int IDC_BUTTON_BROWSE = 1007;
constexpr int IDC_BUTTON_CONVERT = 1008;
constexpr int IDC_BUTTON_PREVIEW_VIDEO = 1009;
constexpr int IDC_BUTTON_HOMEPAGE = 1012;
constexpr int IDC_BUTTON_EXIT = 1018;
constexpr int IDC_BUTTON_HELP = 1019;
constexpr int IDC_STATIC_OUTPUT_FILE = 1025;
constexpr int IDC_STATIC_TOTAL_DURATION = 1026;

// Controls of the About box.
constexpr int IDC_STATIC_PRODUCT_NAME = 1016;
constexpr int IDC_STATIC_VERSION = 1017;
constexpr int IDC_STATIC = -1;

// Strings.
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_LANGUAGE_IN_ENGLISH = 202;
constexpr int IDS_MESSAGE_ERROR = 205;
constexpr int IDS_MESSAGE_WARNING = 208;
constexpr int IDS_MESSAGE_BROWSE_CAPTION = 210;
constexpr int IDS_MESSAGE_OPEN_FILE = 219;
constexpr int IDS_MESSAGE_OPEN_VIDEO_FILE_TO_LIST = 226;
constexpr int IDS_MESSAGE_FILE_EXIST = 231;
constexpr int IDS_COLUMN_FILE_NAME = 238;
constexpr int IDS_COLUMN_DURATION = 239;
constexpr int IDS_MESSAGE_RESTART_PROGRAM = 245;
constexpr int IDS_MESSAGE_CONVERSION_DONE = 263;
constexpr int IDS_MESSAGE_JOIN_FAILED = 270;
constexpr int IDS_TOTAL_DURATION = 271;
constexpr int IDS_MESSAGE_TIME_LEFT = 275;
// The Merge button's text while a join runs (a dialog text, key IDC_BUTTON_STOP).
constexpr int IDC_BUTTON_STOP = 224;
