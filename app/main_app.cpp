#include "app/main_app.h"

#include <filesystem>
#include <system_error>

#include "app/main_dialog.h"
#include "app/path_names.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "platform/linux/file_helpers.h"

namespace app {

void CMainApp::SetRegistryKey(const char* key) {
    m_settings = std::make_unique<platform::CFileSettingsStore>(
        platform::SettingsFilePath(key, GetAppName().utf8_string()));
    platform::SetSettingsStore(m_settings.get());
}

bool CMainApp::InitInstance() {
    // The application name is the program file's name at run time.
    SetAppName(wxString::FromUTF8(platform::ExecutableBaseName()));
    SetRegistryKey(kRegistryKey);
    std::string language =
        m_settings->GetProfileString(kSectionOption, kKeyCurrentLanguage, kDefaultLanguage);
    std::string baseFolder = GetBaseFolder(platform::GetModuleFileName());
    g_languageTable.Initialize(baseFolder, language);

    DialogServices services;
    services.settings = m_settings.get();
    services.fileDialogs = m_fileDialogs;
    services.fontChooser = m_fontChooser;
    services.waitCursor = m_waitCursor;
    services.shell = m_shell;
    services.system = m_system;
    services.runBlocking = [this](const std::function<void()>& work) {
        m_messageBox.RunServing(work);
    };
    services.runJoin = [this](const std::function<void()>& work) {
        m_messageBox.RunServing(work, true);
    };
    services.appTitle = GetAppName().utf8_string();
    services.baseFolder = baseFolder;

    auto* dialog = new CMainDialog(nullptr, std::move(services));
    SetTopWindow(dialog);
    if (!m_commandLineFiles.empty()) {
        std::vector<std::string> files;
        for (const std::string& name : m_commandLineFiles) {
            std::error_code error;
            std::filesystem::path path = std::filesystem::absolute(name, error);
            files.push_back(error ? name : path.lexically_normal().string());
        }
        dialog->CallAfter([dialog, files] { dialog->OnDropFiles(files); });
    }
    dialog->ShowModal();
    SetTopWindow(nullptr);
    dialog->Destroy();
    platform::SetSettingsStore(nullptr);
    return false;
}

}  // namespace app
