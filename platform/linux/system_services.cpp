#include "platform/system_services.h"

#include "platform/linux/settings_store.h"
#include "platform/linux/shell.h"
#include "platform/linux/system_info.h"

namespace platform {

std::unique_ptr<ISettingsStore> NewSettingsStore(const std::string& vendor,
                                                 const std::string& app) {
    return std::make_unique<CFileSettingsStore>(SettingsFilePath(vendor, app));
}

std::unique_ptr<IShell> NewShell() { return std::make_unique<CLinuxShell>(); }

std::unique_ptr<ISystemInfo> NewSystemInfo() { return std::make_unique<CLinuxSystemInfo>(); }

}  // namespace platform
