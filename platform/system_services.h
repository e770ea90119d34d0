#pragma once
// The operating system's services that need no display, made for the program that installs them
// (platform/services.h); the wxWidgets ones are in platform/gui/.

#include <memory>
#include <string>

#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace platform {

// The per-user store of Software\<vendor>\<app>.
std::unique_ptr<ISettingsStore> NewSettingsStore(const std::string& vendor, const std::string& app);
std::unique_ptr<IShell> NewShell();
std::unique_ptr<ISystemInfo> NewSystemInfo();

}  // namespace platform
