// The input list: Add, drop, the add-time probe, Up, Down, Delete and Clear.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "app/main_dialog_logic.h"
#include "app/path_names.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "merger.h"
#include "platform/file_helpers.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "resources/resource_ids.h"

namespace app {

namespace {

const std::vector<std::pair<std::string, std::string>> kMediaFilters = {
    {"Windows Media file(*.wmv;*.wma;*.asf)", "*.wmv;*.wma;*.asf"},
    {"Windows Media Video (*.wmv)", "*.wmv"},
    {"Windows Media audio (*.wma)", "*.wma"},
    {"Advanced Streaming Format (*.asf)", "*.asf"},
};

std::string Format(const char* format, const char* path, HRESULT hr = 0) {
    int n = std::snprintf(nullptr, 0, format, path, unsigned(hr));
    std::string text(size_t(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, path, unsigned(hr));
    text.resize(size_t(n));
    return text;
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& MediaFileFilters() { return kMediaFilters; }

bool CMainDialogLogic::AppendProbed(const std::string& path) {
    if (path.empty()) return true;
    void* owner = m_view.OwnerWindow();
    if (m_inputCount >= kMaxInputFiles) {
        char text[120];
        std::snprintf(text, sizeof text, "The list is full: at most %d files can be joined.",
                      kMaxInputFiles);
        MessageBoxA(owner, text, g_languageTable.GetString(IDS_MESSAGE_ERROR).c_str(), MB_OK);
        return false;
    }
    // Characters are counted, not bytes; the slot holds a longest name in any script.
    if (CharacterCount(path) >= kMaxPath || path.size() >= sizeof(engine::PathSlot)) {
        std::string text = "The file name is too long (at most " + std::to_string(kMaxPath - 1) +
                           " characters): " + path;
        MessageBoxA(owner, text.c_str(), g_languageTable.GetString(IDS_MESSAGE_ERROR).c_str(),
                    MB_OK);
        return true;
    }
    if (ProbeCompatibility(path.c_str()) == 1) {
        std::memcpy(m_inputPaths[m_inputCount], path.c_str(), path.size() + 1);
        ++m_inputCount;
        m_durations.Note(path);
    }
    return true;
}

void CMainDialogLogic::OnButtonAddVideo() {
    platform::FileDialogRequest request;
    request.owner = m_view.OwnerWindow();
    request.filters = kMediaFilters;
    request.filterIndex = 1;
    request.initialFolder = platform::InstalledServices().settings->GetProfileString(
        kSectionOption, kKeyLastFolder, "");
    request.title = g_languageTable.GetString(IDS_MESSAGE_OPEN_FILE);
    request.flags = platform::OFN_EXPLORER | platform::OFN_FILEMUSTEXIST |
                    platform::OFN_PATHMUSTEXIST | platform::OFN_ALLOWMULTISELECT |
                    platform::OFN_READONLY;
    platform::FileDialogResult result;
    if (!platform::InstalledServices().fileDialogs->GetOpenFileName(request, result)) return;
    if (result.Several()) {
        for (const std::string& path : result.paths)
            if (!AppendProbed(path)) break;
    } else {
        AppendProbed(result.path);
    }
    RefreshFileList();
    // The folder of the list's last entry, also when every new file was refused.
    if (m_inputCount > 0)
        platform::InstalledServices().settings->WriteProfileString(
            kSectionOption, kKeyLastFolder, FolderOf(m_inputPaths[m_inputCount - 1]));
}

void CMainDialogLogic::OnDropFiles(const std::vector<std::string>& paths, int at) {
    // The window takes no input while the engine works; a drop then would reach the list midway.
    if (m_engineBusy) return;
    const int before = m_inputCount;
    for (const std::string& path : paths) {
        if (!platform::IsFileOrFolder(path) || !HasMediaExtension(path)) continue;
        if (!AppendProbed(path)) break;
    }
    if (at >= 0 && at < before && m_inputCount > before) {
        std::vector<int> added;
        for (int row = before; row < m_inputCount; ++row) added.push_back(row);
        MoveRowsTo(added, at);
        return;
    }
    RefreshFileList();
}

int CMainDialogLogic::ProbeCompatibility(const char* path) {
    void* owner = m_view.OwnerWindow();
    platform::InstalledServices().waitCursor->BeginWaitCursor();
    if (m_inputCount == 0) {
        platform::InstalledServices().waitCursor->EndWaitCursor();
        return 1;
    }
    HRESULT initResult = S_OK, openResult = S_OK, convertResult = S_OK;
    const char* unconverted = nullptr;
    BOOL match = 0;
    RunEngineWork(m_setup.runBlocking, [&] {
        auto merger = std::make_unique<engine::CMerger>();
        if (Failed(initResult = merger->Init())) return;
        std::u16string first, candidate;
        if (Failed(convertResult = engine::ToWideString(m_inputPaths[0], &first))) {
            unconverted = m_inputPaths[0];
        } else if (Failed(convertResult = engine::ToWideString(path, &candidate))) {
            unconverted = path;
        } else {
            openResult = merger->OpenInputs(first.c_str(), candidate.c_str(), &match);
        }
    });
    platform::InstalledServices().waitCursor->EndWaitCursor();
    const char* error = "Error";
    if (Failed(initResult)) {
        MessageBoxA(owner, "Can not initialize CMerger!", error, MB_OK);
        return 0;
    }
    if (unconverted) {
        std::string text = Format("Failed to convert file name %s to wchar string (hr=0x%08x)",
                                  unconverted, convertResult);
        MessageBoxA(owner, text.c_str(), error, MB_OK);
        return 0;
    }
    if (Failed(openResult)) {
        std::string text = Format(
            "%s has the different stream  with the previous wmv files. It can not be merged.",
            path);
        MessageBoxA(owner, text.c_str(), "Warning", MB_OK);
        return 0;
    }
    if (!match) {
        std::string text = Format(
            "%s has the different stream profile with the previous wmv files. It can not be "
            "merged.",
            path);
        MessageBoxA(owner, text.c_str(), "Warning", MB_OK);
        return 0;
    }
    return 1;
}

void CMainDialogLogic::OnButtonItemUp() {
    if (m_inputCount < 2) return;
    int row = m_view.GetNextSelectedRow(-1);
    if (row == -1) {
        MessageBoxA(m_view.OwnerWindow(), "Please select items!", m_setup.appTitle.c_str(), MB_OK);
        return;
    }
    while (row != -1) {
        int next = m_view.GetNextSelectedRow(row);
        if (row == 0) {
            m_view.FocusList();
            return;
        }
        std::swap(m_inputPaths[row], m_inputPaths[row - 1]);
        MoveRowUp(row);
        row = next;
    }
}

void CMainDialogLogic::OnButtonItemDown() {
    if (m_inputCount < 2) return;
    if (m_view.GetNextSelectedRow(-1) == -1) {
        MessageBoxA(m_view.OwnerWindow(), "Please select items!", m_setup.appTitle.c_str(), MB_OK);
        return;
    }
    std::vector<int> selected;
    for (int row = m_view.GetNextSelectedRow(-1); row != -1; row = m_view.GetNextSelectedRow(row))
        selected.push_back(row);
    int stayedBelow = -1;  // the last row visited that stayed where it was
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        int row = *it;
        if (row >= m_inputCount - 1 || row + 1 == stayedBelow) {
            stayedBelow = row;
            continue;
        }
        std::swap(m_inputPaths[row], m_inputPaths[row + 1]);
        MoveRowDown(row);
    }
    m_view.FocusList();
}

void CMainDialogLogic::OnButtonItemDelete() {
    if (m_inputCount == 0) return;
    int row = m_view.GetNextSelectedRow(-1);
    if (row == -1) {
        MessageBoxA(m_view.OwnerWindow(), "Please select items!", m_setup.appTitle.c_str(), MB_OK);
        return;
    }
    for (int removed = 0; row != -1; ++removed) {
        int next = m_view.GetNextSelectedRow(row);
        RemoveInputAt(row - removed);
        row = next;
    }
    RefreshFileList();
}

void CMainDialogLogic::OnButtonItemClear() {
    m_inputCount = 0;
    RefreshFileList();
}

void CMainDialogLogic::OnFileListClick() {
    // Reads the first selected row and does nothing with it.
    (void)m_view.GetNextSelectedRow(-1);
}

int CMainDialogLogic::RemoveInputAt(int index) {
    for (int k = index; k <= m_inputCount - 2; ++k)
        std::memcpy(m_inputPaths[k], m_inputPaths[k + 1], sizeof(engine::PathSlot));
    --m_inputCount;
    return 1;
}

int CMainDialogLogic::RefreshFileList() {
    m_view.DeleteAllRows();
    for (int i = 0; i < m_inputCount; ++i) {
        std::string name;
        GetDisplayName(m_inputPaths[i], name);
        m_view.InsertRow(i, name);
    }
    ShowListTotal();
    return 1;
}

int CMainDialogLogic::MoveRowUp(int index) {
    m_view.DeleteRow(index - 1);
    std::string name;
    GetDisplayName(m_inputPaths[index], name);
    m_view.InsertRow(index, name);
    m_view.FocusList();
    return 1;
}

int CMainDialogLogic::MoveRowDown(int index) {
    m_view.DeleteRow(index + 1);
    std::string name;
    GetDisplayName(m_inputPaths[index], name);
    m_view.InsertRow(index, name);
    m_view.FocusList();
    return 1;
}

}  // namespace app
