// The pop-up menu's commands: a language entry switches the interface language, Font chooses the
// current language's interface font.

#include "app/main_dialog_logic.h"
#include "i18n/language_table.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "resources/resource_ids.h"

namespace app {

void CMainDialogLogic::OnLanguageCommand(uintptr_t wParam) {
    int id = static_cast<int>(wParam & 0xFFFF);
    if (id < ID_LANGUAGE_FIRST || id > ID_LANGUAGE_LAST) return;
    // Only listed entries have ids; any other id in the range is not a language.
    if (id - ID_LANGUAGE_FIRST >= g_languageTable.GetLanguageCount()) return;
    SwitchLanguage(id);
    std::string text = g_languageTable.GetString(IDS_MESSAGE_RESTART_PROGRAM);
    std::string caption = g_languageTable.GetString(IDS_MESSAGE_WARNING);
    MessageBoxA(m_view.OwnerWindow(), text.c_str(), caption.c_str(), MB_OK);
}

void CMainDialogLogic::SwitchLanguage(int commandId) {
    std::string name = g_languageTable.GetLanguageName(commandId - ID_LANGUAGE_FIRST);
    g_languageTable.SelectLanguage(name);
    m_view.LocaliseWindow();
}

void CMainDialogLogic::OnPopupMenuFont() {
    CLanguageTable& table = g_languageTable;
    // The font belongs to a language file's settings; without one it would apply nowhere.
    if (table.GetLanguageCount() == 0) {
        MessageBoxA(m_view.OwnerWindow(),
                    "No language file was found, so the interface font cannot be changed.", "Font",
                    MB_OK);
        return;
    }
    platform::FontChooserRequest request;
    request.owner = m_view.OwnerWindow();
    if (!table.InterfaceFont.GetLogFont(&request.logFont)) table.ReadFontSettings(request.logFont);
    request.flags =
        platform::CF_SCREENFONTS | platform::CF_EFFECTS | platform::CF_INITTOLOGFONTSTRUCT;
    LOGFONTA chosen;
    if (!platform::InstalledServices().fontChooser->ChooseFont(request, chosen)) return;
    table.InterfaceFont.DeleteObject();
    table.InterfaceFont.CreateFontIndirect(&chosen);
    table.SaveFontSettings(table.InterfaceFont);
    m_view.LocaliseWindow();
}

}  // namespace app
