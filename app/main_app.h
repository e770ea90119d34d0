#pragma once
// The application object: binds the settings, loads the saved language and runs the main window
// modally; the process ends when it closes.

#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/gui_message_box.h"
#include "platform/gui/wx_file_dialogs.h"
#include "platform/gui/wx_font_chooser.h"
#include "platform/gui/wx_wait_cursor.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/shell.h"
#include "platform/linux/system_info.h"

namespace app {

class CMainApp : public wxApp {
  public:
    bool OnInit() override { return InitInstance(); }
    // The start-up sequence; always false.
    bool InitInstance();
    // Binds the settings store to Software\<key>\<application name>.
    void SetRegistryKey(const char* key);

    // The services the window uses; a test may replace them before InitInstance.
    platform::CGuiMessageBox m_messageBox;
    platform::IFileDialogs* m_fileDialogs = &m_wxFileDialogs;
    platform::IFontChooser* m_fontChooser = &m_wxFontChooser;
    platform::IWaitCursor* m_waitCursor = &m_wxWaitCursor;
    platform::IShell* m_shell = &m_linuxShell;
    platform::ISystemInfo* m_system = &m_linuxSystem;
    std::unique_ptr<platform::CFileSettingsStore> m_settings;
    // Added to the list once the window is up, in order, as a drop is.
    std::vector<std::string> m_commandLineFiles;

  private:
    platform::CWxFileDialogs m_wxFileDialogs;
    platform::CWxFontChooser m_wxFontChooser;
    platform::CWxWaitCursor m_wxWaitCursor;
    platform::CLinuxShell m_linuxShell;
    platform::CLinuxSystemInfo m_linuxSystem;
};

}  // namespace app
