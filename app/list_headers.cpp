// The input list's column headers in the current language, each shown whole.

#include <wx/listctrl.h>

#include <algorithm>

#include "app/main_dialog.h"
#include "i18n/language_table.h"

namespace app {

int CMainDialog::DurationColumnWidth(const wxString& heading) const {
    return std::max(m_fileList->GetTextExtent(heading).x, m_fileList->GetTextExtent("00:00:00").x) +
           16;
}

void CMainDialog::TitleListColumns() {
    const int texts[] = {IDS_COLUMN_FILE_NAME, IDS_COLUMN_DURATION};
    for (int column = 0; column < std::min(m_fileList->GetColumnCount(), 2); ++column) {
        const wxString heading = wxString::FromUTF8(g_languageTable.GetString(texts[column]));
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        item.SetText(heading);
        m_fileList->SetColumn(column, item);
        const int needed =
            column == 0 ? m_fileList->GetTextExtent(heading).x + 2 * m_fileList->GetCharWidth()
                        : DurationColumnWidth(heading);
        if (m_fileList->GetColumnWidth(column) < needed) m_fileList->SetColumnWidth(column, needed);
    }
}

}  // namespace app
