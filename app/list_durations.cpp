#include "app/list_durations.h"

#include "app/join_progress_text.h"
#include "app/main_dialog_logic.h"
#include "com_object.h"
#include "i18n/language_table.h"
#include "join_checks.h"
#include "resources/resource_ids.h"
#include "wm_interfaces.h"

namespace app {

std::optional<QWORD> ReadDeclaredDuration(const std::string& path) {
    std::u16string wide;
    if (Failed(engine::ToWideString(path.c_str(), &wide))) return std::nullopt;
    wm::ComPtr<IWMMetadataEditor> editor;
    if (Failed(WMCreateEditor(editor.Out()))) return std::nullopt;
    if (Failed(editor->Open(wide.c_str()))) return std::nullopt;
    std::optional<QWORD> duration;
    wm::ComPtr<IWMHeaderInfo> header;
    if (Succeeded(editor.As(header))) {
        WORD stream = 0, size = sizeof(QWORD);
        WMT_ATTR_DATATYPE type;
        QWORD value = 0;
        if (Succeeded(header->GetAttributeByName(&stream, g_wszWMDuration, &type,
                                                 reinterpret_cast<BYTE*>(&value), &size)) &&
            type == WMT_TYPE_QWORD && size == sizeof(QWORD))
            duration = value;
        header.Reset();
    }
    editor->Close();
    return duration;
}

std::string FormatDuration(QWORD duration) {
    return ClockText((long long)((duration + 5000000) / 10000000));  // whole seconds, rounded
}

void CListDurations::Note(const std::string& path) { m_known[path] = ReadDeclaredDuration(path); }

std::optional<QWORD> CListDurations::Duration(const std::string& path) {
    auto it = m_known.find(path);
    if (it == m_known.end()) it = m_known.emplace(path, ReadDeclaredDuration(path)).first;
    return it->second;
}

std::string CListDurations::Text(const std::string& path) {
    std::optional<QWORD> d = Duration(path);
    return d ? FormatDuration(*d) : std::string();
}

std::string CMainDialogLogic::RowDuration(int slot) {
    return slot >= 0 && slot < m_inputCount ? m_durations.Text(m_inputPaths[slot]) : std::string();
}

void CMainDialogLogic::ShowListTotal() {
    std::string text;
    if (m_inputCount > 0)
        text = g_languageTable.GetString(IDS_TOTAL_DURATION) + " " +
               FormatDuration(m_durations.Total(m_inputPaths, m_inputCount));
    m_view.ShowTotalDuration(text);
}

}  // namespace app
