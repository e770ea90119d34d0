// Rows moved together to a new place by dragging them.

#include <cstring>
#include <vector>

#include "app/main_dialog_logic.h"

namespace app {

void CMainDialogLogic::MoveRowsTo(const std::vector<int>& rows, int before) {
    std::vector<bool> moving(size_t(m_inputCount), false);
    for (int row : rows)
        if (row >= 0 && row < m_inputCount) moving[size_t(row)] = true;
    std::vector<std::string> order, moved;
    int insertAt = -1;
    for (int i = 0; i <= m_inputCount; ++i) {
        if (i == before) insertAt = int(order.size());
        if (i == m_inputCount) break;
        (moving[size_t(i)] ? moved : order).push_back(m_inputPaths[i]);
    }
    if (moved.empty()) return;
    if (insertAt < 0) insertAt = int(order.size());
    order.insert(order.begin() + insertAt, moved.begin(), moved.end());
    for (int i = 0; i < m_inputCount; ++i)
        std::memcpy(m_inputPaths[i], order[size_t(i)].c_str(), order[size_t(i)].size() + 1);
    RefreshFileList();
    for (int i = 0; i < int(moved.size()); ++i) m_view.SelectRow(insertAt + i);
    m_view.FocusList();
}

}  // namespace app
