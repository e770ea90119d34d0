// The input list under the pointer and beside the names: the duration column, each row's full
// path as its tooltip, rows dragged to a new place and files dropped where they fall.

#include <wx/listctrl.h>
#include <wx/settings.h>

#include "app/main_dialog.h"
#include "i18n/language_table.h"
#include "platform/gui/shown_text.h"

namespace app {

void CMainDialog::AddDurationColumn() {
    wxString heading = wxString::FromUTF8(g_languageTable.GetString(IDS_COLUMN_DURATION));
    int width = DurationColumnWidth(heading);
    m_fileList->InsertColumn(1, heading, wxLIST_FORMAT_RIGHT, width);
    // The names take the rest, with room for a vertical scroll bar.
    int rest = m_fileList->GetClientSize().x - width -
               wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, m_fileList);
    m_fileList->SetColumnWidth(0, std::max(rest, width));
}

wxWindow* CMainDialog::ListRows() const {
    // The list hands its drop target to its rows' window; that finds it among its children.
    for (wxWindow* child : m_fileList->GetChildren())
        if (child->GetDropTarget() && child->GetDropTarget() == m_fileList->GetDropTarget())
            return child;
    return m_fileList;
}

int CMainDialog::RowAt(const wxPoint& where) const {
    int flags = 0;
    long row = m_fileList->HitTest(where, flags);
    return row >= 0 && row < m_inputCount ? int(row) : -1;
}

void CMainDialog::BindListPointer() {
    wxWindow* rows = ListRows();
    rows->Bind(wxEVT_MOTION, [this, rows](wxMouseEvent& e) {
        e.Skip();
        int row = RowAt(e.GetPosition());
        wxString tip = row >= 0 ? platform::ShownText(m_inputPaths[row]) : wxString();
        if (rows->GetToolTipText() == tip) return;
        if (tip.empty())
            rows->UnsetToolTip();
        else
            rows->SetToolTip(tip);
    });
    m_fileList->Bind(wxEVT_LIST_BEGIN_DRAG, [this](wxListEvent&) {
        if (JoinRunning()) return;
        m_draggedRows.clear();
        for (int row = GetNextSelectedRow(-1); row != -1; row = GetNextSelectedRow(row))
            m_draggedRows.push_back(row);
    });
    // The rows take the place of the row they are let go on: before it when it was above them,
    // after it when it was below; below the last row, the end. Let go outside the list, they stay.
    rows->Bind(wxEVT_LEFT_UP, [this, rows](wxMouseEvent& e) {
        if (m_draggedRows.empty()) {
            e.Skip();
            return;
        }
        std::vector<int> dragged;
        dragged.swap(m_draggedRows);
        if (!wxRect(rows->GetClientSize()).Contains(e.GetPosition())) return;
        int target = RowAt(e.GetPosition());
        int before = target < 0 ? m_inputCount : target > dragged.back() ? target + 1 : target;
        if (target < 0 || target < dragged.front() || target > dragged.back())
            MoveRowsTo(dragged, before);
    });
}

}  // namespace app
