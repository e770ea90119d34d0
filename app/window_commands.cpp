// Preview, Help, Homepage, closing by a key and the language saved at close.

#include "app/main_dialog_logic.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "platform/file_helpers.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "resources/maker_info.h"
#include "resources/resource_ids.h"

namespace app {

void CMainDialogLogic::OnButtonPreviewVideo() {
    const std::string output = m_outputName;
    if (!platform::FileExists(output)) {
        std::string text = output + " does not exist!";
        MessageBoxA(nullptr, text.c_str(), "Error", MB_OK);
        return;
    }
    // The player's place under the root of the temporary folder's drive: here the root.
    const std::string player = "/Program Files/Windows Media Player/mplayer2.exe";
    if (platform::FileExists(player) &&
        platform::InstalledServices().shell->WinExec({player, output}) > 31)
        return;
    if (platform::InstalledServices().shell->ShellExecuteOpen(output) > 32) return;
    std::string text = "No program could be started to play " + output +
                       ".\nInstall xdg-utils (xdg-open) and a video player that plays Windows "
                       "Media files, such as VLC or mpv, or open the file in a player yourself.";
    MessageBoxA(m_view.OwnerWindow(), text.c_str(),
                g_languageTable.GetString(IDS_MESSAGE_ERROR).c_str(), MB_OK);
}

void CMainDialogLogic::OnButtonHelp() {
    const std::string page = m_setup.baseFolder + "/help/Introduction.htm";
    std::string text;
    if (!platform::FileExists(page))
        text = "The help file " + page + " is missing. Install Splicora again to restore it.";
    else if (platform::InstalledServices().shell->WinExec({"xdg-open", page}) <= 31)
        text =
            "The help could not be opened: xdg-open could not be started. Install xdg-utils "
            "and a web browser, or open " +
            page + " in your web browser.";
    else
        return;
    MessageBoxA(m_view.OwnerWindow(), text.c_str(),
                g_languageTable.GetString(IDS_MESSAGE_ERROR).c_str(), MB_OK);
}

void CMainDialogLogic::OnButtonHomepage() {
    if (platform::InstalledServices().shell->ShellExecuteOpen(resources::kHomepageAddress) > 32)
        return;
    std::string text = std::string("The Program does not launch your web browser to access ") +
                       resources::kHomepageSite +
                       " ,\nPlease launch your web browser and input the URL manually.\n"
                       "To open it from here, install xdg-utils and a web browser.";
    MessageBoxA(m_view.OwnerWindow(), text.c_str(), "unknown errors", MB_OK);
}

bool CMainDialogLogic::ConfirmCloseByKey() {
    if (m_inputCount == 0) return true;
    return MessageBoxA(m_view.OwnerWindow(),
                       "Do you want to close the window? The list of files will be lost.",
                       g_languageTable.GetString(IDS_MESSAGE_WARNING).c_str(),
                       MB_ICONQUESTION | MB_YESNO) == IDYES;
}

void CMainDialogLogic::SaveCurrentLanguage() {
    platform::InstalledServices().settings->WriteProfileString(
        kSectionOption, kKeyCurrentLanguage, g_languageTable.GetCurrentLanguage());
}

}  // namespace app
