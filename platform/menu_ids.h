#pragma once
// Menu command ids between Win32 and wxWidgets. Win32 command ids are 16-bit; wxWidgets accepts
// menu ids below 0x7FFF only, so ids from 0x7FFF up (32783, 32784, 45400...) are carried 0x4000
// lower. Ids 0x3FFF..0x7FFE are therefore not used as Win32 command ids.

namespace platform {

constexpr int kMenuIdShift = 0x4000;
constexpr int kFirstShiftedMenuId = 0x7FFF;

constexpr int ToWxMenuId(int commandId) {
    return commandId >= kFirstShiftedMenuId ? commandId - kMenuIdShift : commandId;
}

constexpr int FromWxMenuId(int menuId) {
    return menuId >= kFirstShiftedMenuId - kMenuIdShift ? menuId + kMenuIdShift : menuId;
}

// Whether a command id has a wxWidgets menu id at all.
constexpr bool CanCarryMenuId(int commandId) {
    return commandId >= 0 && ToWxMenuId(commandId) < kFirstShiftedMenuId;
}

static_assert(ToWxMenuId(32783) == 16399 && FromWxMenuId(16399) == 32783);
static_assert(FromWxMenuId(ToWxMenuId(46399)) == 46399 && ToWxMenuId(46399) < 0x7FFF);
static_assert(ToWxMenuId(1025) == 1025 && FromWxMenuId(1025) == 1025);
static_assert(CanCarryMenuId(49150) && !CanCarryMenuId(49151));

}  // namespace platform
