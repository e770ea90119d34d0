#include "app/main_app.h"

#include <filesystem>
#include <system_error>

#include "app/main_dialog.h"
#include "app/path_names.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "platform/file_helpers.h"
#include "platform/message_box.h"
#include "platform/system_services.h"
#include "resources/resource_ids.h"

namespace app {

CMainApp::CMainApp()
    : m_systemShell(platform::NewShell()), m_systemInfo(platform::NewSystemInfo()) {
    m_services.messageBox = &m_messageBox;
    m_services.fileDialogs = &m_wxFileDialogs;
    m_services.fontChooser = &m_wxFontChooser;
    m_services.waitCursor = &m_wxWaitCursor;
    m_services.shell = m_systemShell.get();
    m_services.system = m_systemInfo.get();
}

void CMainApp::SetRegistryKey(const char* key) {
    m_settings = platform::NewSettingsStore(key, GetAppName().utf8_string());
}

bool CMainApp::InitInstance() {
    // The application name is the program file's name at run time.
    SetAppName(wxString::FromUTF8(platform::ExecutableBaseName()));
    SetRegistryKey(kRegistryKey);
    platform::Services services = m_services;
    services.settings = m_settings.get();
    platform::ScopedServices installed(services);
    std::string language =
        m_settings->GetProfileString(kSectionOption, kKeyCurrentLanguage, kDefaultLanguage);
    std::string baseFolder = GetBaseFolder(platform::GetModuleFileName());
    g_languageTable.Initialize(baseFolder, language);

    DialogSetup setup;
    setup.runBlocking = [this](const std::function<void()>& work) {
        m_messageBox.RunServing(work);
    };
    setup.runJoin = [this](const std::function<void()>& work) {
        m_messageBox.RunServing(work, true);
    };
    setup.appTitle = GetAppName().utf8_string();
    setup.baseFolder = baseFolder;

    auto* dialog = new CMainDialog(nullptr, std::move(setup));
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
    // Said once; the file itself is left as it is.
    if (std::string problem = m_settings->TakeReadProblem(); !problem.empty()) {
        dialog->CallAfter([dialog, problem] {
            const std::string text =
                "The settings file could not be read, so Splicora starts "
                "with its default settings and will not change the file.\n" +
                problem;
            MessageBoxA(dialog->OwnerWindow(), text.c_str(),
                        g_languageTable.GetString(IDS_MESSAGE_WARNING).c_str(),
                        MB_ICONWARNING | MB_OK);
        });
    }
    dialog->ShowModal();
    SetTopWindow(nullptr);
    dialog->Destroy();
    return false;
}

}  // namespace app
