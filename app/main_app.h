#pragma once
// The application object: binds the settings, installs the platform services, loads the saved
// language and runs the main window modally; the process ends when it closes.

#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/gui_message_box.h"
#include "platform/gui/wx_file_dialogs.h"
#include "platform/gui/wx_font_chooser.h"
#include "platform/gui/wx_wait_cursor.h"
#include "platform/services.h"

namespace app {

class CMainApp : public wxApp {
  public:
    CMainApp();
    bool OnInit() override { return InitInstance(); }
    // The start-up sequence; always false. The services are installed for its whole run.
    bool InitInstance();
    // Binds the settings store to Software\<key>\<application name>.
    void SetRegistryKey(const char* key);

    // The gui message box also serves boxes asked for by the engine's threads while it waits.
    platform::CGuiMessageBox m_messageBox;
    // The services InitInstance installs, the settings store aside (SetRegistryKey's); a test may
    // replace them before InitInstance.
    platform::Services m_services;
    std::unique_ptr<platform::ISettingsStore> m_settings;
    // Added to the list once the window is up, in order, as a drop is.
    std::vector<std::string> m_commandLineFiles;

  private:
    platform::CWxFileDialogs m_wxFileDialogs;
    platform::CWxFontChooser m_wxFontChooser;
    platform::CWxWaitCursor m_wxWaitCursor;
    std::unique_ptr<platform::IShell> m_systemShell;
    std::unique_ptr<platform::ISystemInfo> m_systemInfo;
};

}  // namespace app
