#pragma once
// The program's platform services in one registry. A program installs its services once at
// start-up with a ScopedServices that lives as long as its run; a test installs fakes for one case
// the same way. Everything reads them through InstalledServices(), from any thread.
// With nothing installed: messages go to standard error, settings to a store in memory, the file
// dialogs and the font chooser answer "cancelled", the shell starts nothing, the system
// information knows nothing and the wait cursor does nothing.

#include "platform/file_dialogs.h"
#include "platform/font_chooser.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/wait_cursor.h"

namespace platform {

// Not owned; null means "keep what is installed".
struct Services {
    IMessageBox* messageBox = nullptr;
    ISettingsStore* settings = nullptr;
    IFileDialogs* fileDialogs = nullptr;
    IFontChooser* fontChooser = nullptr;
    IWaitCursor* waitCursor = nullptr;
    IShell* shell = nullptr;
    ISystemInfo* system = nullptr;
};

// The services installed now; no member is null.
const Services& InstalledServices();

// Installs services over the installed ones (a null member keeps the installed one) until it is
// destroyed, which puts back what was installed before. Scopes end in the reverse order of their
// start; the services must outlive the scope.
class ScopedServices {
  public:
    explicit ScopedServices(const Services& services);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

  private:
    Services m_services;
    const Services* m_previous;
};

}  // namespace platform
