// The output name: its start-up value and Browse.

#include "app/main_dialog_logic.h"
#include "app/path_names.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "resources/resource_ids.h"

namespace app {

std::string CMainDialogLogic::DefaultOutputName(const std::string& section, const std::string& key,
                                                const std::string& defaultName, int folderId) {
    std::string fallback = defaultName;
    if (m_osVersion.dwMajorVersion >= 6) {
        std::string folder;
        if (!platform::InstalledServices().system->GetFolderPath(folderId, folder)) {
            MessageBoxA(m_view.OwnerWindow(), "Can not get My Video directory!", "Error", MB_OK);
        } else {
            std::string composed = folder + FileNameWithSlash(defaultName);
            // A name that would not fit a path keeps the fixed default.
            if (CharacterCount(composed) < kMaxPath) fallback = composed;
        }
    }
    return platform::InstalledServices().settings->GetProfileString(section, key, fallback);
}

void CMainDialogLogic::InitDialogState() {
    m_osVersion = {};
    m_osVersion.dwOSVersionInfoSize = sizeof m_osVersion;
    if (!platform::InstalledServices().system->GetVersionEx(&m_osVersion))
        MessageBoxA(m_view.OwnerWindow(), "Can get Windows Version", "Error", MB_OK);
    m_inputCount = 0;
    // The fixed name sits in the home folder: the root is not writable here.
    std::string home;
    std::string fixedName =
        platform::InstalledServices().system->GetFolderPath(platform::CSIDL_PROFILE, home)
            ? home + FileNameWithSlash(kDefaultOutputName)
            : kDefaultOutputName;
    m_outputName =
        DefaultOutputName(kSectionOption, kKeyOutputFile, fixedName, platform::CSIDL_MYVIDEO);
    m_view.SetOutputText(m_outputName);
}

std::string CMainDialogLogic::OutputFolder() {
    std::string folder;
    platform::ISystemInfo* system = platform::InstalledServices().system;
    if (m_osVersion.dwMajorVersion >= 6 && system->GetFolderPath(platform::CSIDL_MYVIDEO, folder))
        return folder;
    return system->GetFolderPath(platform::CSIDL_PROFILE, folder) ? folder : std::string();
}

void CMainDialogLogic::OnButtonBrowse() {
    // The name as last exchanged; text typed since then does not count. The dialog opens on it:
    // its folder (the videos folder for a bare name) and its file name.
    const std::string current = m_outputName;
    size_t slash = current.rfind('/');
    std::string folder = slash == std::string::npos ? OutputFolder() : current.substr(0, slash);
    if (slash == 0) folder = "/";
    if (folder.empty()) folder = ".";
    platform::FileDialogRequest request;
    request.owner = m_view.OwnerWindow();
    request.filters = MediaFileFilters();
    request.filterIndex = 1;
    request.fileName = slash == std::string::npos ? current : current.substr(slash + 1);
    request.initialFolder = folder;
    request.title = "Select Output";
    request.flags = platform::OFN_HIDEREADONLY;
    platform::FileDialogResult result;
    if (!platform::InstalledServices().fileDialogs->GetSaveFileName(request, result)) return;
    // A name typed without an extension takes the first file's.
    std::string typedExt, firstExt;
    GetExtension(result.path, typedExt);
    if (typedExt.empty() && m_inputCount > 0 && GetExtension(m_inputPaths[0], firstExt))
        result.path += firstExt;
    if (CharacterCount(result.path) >= kMaxPath) {
        std::string text = "The file name is too long (at most " + std::to_string(kMaxPath - 1) +
                           " characters): " + result.path;
        MessageBoxA(m_view.OwnerWindow(), text.c_str(),
                    g_languageTable.GetString(IDS_MESSAGE_ERROR).c_str(), MB_OK);
        return;
    }
    m_outputName = result.path;
    platform::InstalledServices().settings->WriteProfileString(kSectionOption, kKeyOutputFile,
                                                               m_outputName);
    m_view.SetOutputText(m_outputName);
}

}  // namespace app
