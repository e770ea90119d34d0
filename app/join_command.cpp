// Merge: the checks before a join, the join itself and its closing message.

#include <cstdio>
#include <cstring>

#include "app/main_dialog_logic.h"
#include "app/path_names.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "merger.h"
#include "platform/linux/file_helpers.h"
#include "platform/message_box.h"
#include "report_error.h"
#include "resources/resource_ids.h"
#include "run_join.h"

namespace app {

CMainDialogLogic::CMainDialogLogic(IDialogView& view, DialogServices services)
    : m_outputName(kDefaultOutputName), m_view(view), m_services(std::move(services)) {}

bool CMainDialogLogic::OutputSparesInputs(const std::string& output) {
    for (int k = 0; k < m_inputCount; ++k) {
        if (!engine::SameNameIgnoringCase(m_inputPaths[k], output.c_str()) &&
            !engine::IsSameFile(m_inputPaths[k], output.c_str()))
            continue;
        if (k == 0)
            engine::ReportError(
                "First file name and destination file name are same. This is not allowed.\n");
        else if (k == 1)
            engine::ReportError(
                "Second file name and destination file name are same. This is not allowed.\n");
        else
            engine::ReportError(
                "File %d of the list and destination file name are same. This is not allowed.\n",
                k + 1);
        return false;
    }
    return true;
}

void CMainDialogLogic::OnButtonConvert() {
    void* owner = m_view.OwnerWindow();
    auto& lt = g_languageTable;
    // 1. At least two files.
    if (m_inputCount < 2) {
        MessageBoxA(owner, lt.GetString(IDS_MESSAGE_OPEN_VIDEO_FILE_TO_LIST).c_str(),
                    lt.GetString(IDS_MESSAGE_ERROR).c_str(), MB_OK);
        return;
    }
    // 2, 3. The edit's text; it must fit a path slot.
    m_outputName = m_view.GetOutputText();
    const std::string output = m_outputName;
    if (output.size() >= size_t(kMaxPath)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The output file name is too long: at most %d characters are allowed.",
                      kMaxPath - 1);
        MessageBoxA(owner, text, lt.GetString(IDS_MESSAGE_ERROR).c_str(), MB_OK);
        return;
    }
    // 4, 5. The output's extension against the first file's, case-sensitively.
    std::string outputExt, firstExt;
    GetExtension(output, outputExt);
    GetExtension(m_inputPaths[0], firstExt);
    if (outputExt != firstExt) {
        std::string bare = firstExt.empty() ? "" : firstExt.substr(1);
        std::string text = "The output file " + output + " extension should be " + bare +
                           ". Do you want to change it?";
        int answer = MessageBoxA(owner, text.c_str(), lt.GetString(IDS_MESSAGE_WARNING).c_str(),
                                 MB_ICONWARNING | MB_YESNO);
        if (answer == IDYES) {
            int length = CharacterCount(output);
            m_view.FocusOutputAndSelect(length >= 3 ? length - 3 : 0, -1);
            return;
        }
        if (answer != IDNO) return;  // the box was closed without an answer
    }
    // An output that names an input would delete it below or overwrite it in the join.
    if (!OutputSparesInputs(output)) {
        MessageBoxA(owner, lt.GetString(IDS_MESSAGE_CONVERSION_DONE).c_str(), "Message", MB_OK);
        return;
    }
    // 6. Replace an existing output only when the user says so.
    if (platform::FileExists(output)) {
        // Joined, not formatted: the language file's text is no format.
        std::string text = output + " " + lt.GetString(IDS_MESSAGE_FILE_EXIST);
        if (MessageBoxA(owner, text.c_str(), lt.GetString(IDS_MESSAGE_WARNING).c_str(),
                        MB_ICONWARNING | MB_YESNO) != IDYES)
            return;
        platform::DeleteFileA(output);
    }
    // 7 to 10.
    m_services.waitCursor->BeginWaitCursor();
    m_services.runBlocking([this] { JoinFiles(); });
    m_services.waitCursor->EndWaitCursor();
    MessageBoxA(owner, lt.GetString(IDS_MESSAGE_CONVERSION_DONE).c_str(), "Message", MB_OK);
}

HRESULT CMainDialogLogic::JoinFiles() {
    char first[kMaxPath], second[kMaxPath], output[kMaxPath];
    std::snprintf(first, sizeof first, "%s", m_inputPaths[0]);
    std::snprintf(second, sizeof second, "%s", m_inputPaths[1]);
    if (m_outputName.size() >= size_t(kMaxPath)) return E_INVALIDARG;
    std::snprintf(output, sizeof output, "%s", m_outputName.c_str());

    HRESULT hr = engine::CheckJoinNames(first, second, output);
    if (Failed(hr)) return hr;

    engine::CMerger merger;
    merger.m_inputPaths = m_inputPaths;
    merger.m_inputCount = m_inputCount;
    hr = engine::RunJoin(merger, first, second, output);
    // Damage survived is still loss: said once, before "Done".
    std::vector<std::string> damage = engine::DamagedInputLines(merger);
    if (merger.OutputFinished() && !damage.empty()) {
        std::string text = "Damaged packets were skipped while joining:\n";
        for (const std::string& line : damage) text += line + "\n";
        engine::ReportError("%s", text.c_str());
    }
    return hr;
}

}  // namespace app
