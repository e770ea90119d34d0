#pragma once
// Win32 window and control style bits used by the dialog templates.

#include <cstdint>

constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_GROUP = 0x00020000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_TABSTOP = 0x00010000;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

constexpr uint32_t DS_SETFONT = 0x40;
constexpr uint32_t DS_MODALFRAME = 0x80;

constexpr uint32_t BS_PUSHBUTTON = 0x0;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;

constexpr uint32_t SS_LEFT = 0x0;
constexpr uint32_t SS_RIGHT = 0x2;
constexpr uint32_t SS_TYPEMASK = 0x1F;
constexpr uint32_t SS_ICON = 0x3;
constexpr uint32_t SS_NOPREFIX = 0x80;
constexpr uint32_t SS_CENTERIMAGE = 0x200;

constexpr uint32_t ES_LEFT = 0x0;
constexpr uint32_t ES_AUTOHSCROLL = 0x80;

constexpr uint32_t LVS_REPORT = 0x1;
