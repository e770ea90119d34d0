// Merge: the checks before a join, the join itself and its closing message.

#include <cstdio>
#include <cstring>

#include "app/main_dialog_logic.h"
#include "app/path_names.h"
#include "app/settings_table.h"
#include "i18n/language_table.h"
#include "merger.h"
#include "platform/file_helpers.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "report_error.h"
#include "resources/resource_ids.h"
#include "run_join.h"
#include "text/case_blind.h"

namespace app {

CMainDialogLogic::CMainDialogLogic(IDialogView& view, DialogSetup setup)
    : m_outputName(kDefaultOutputName), m_view(view), m_setup(std::move(setup)) {}

bool CMainDialogLogic::OutputSparesInputs(const std::string& output) {
    for (int k = 0; k < m_inputCount; ++k) {
        if (!text::SameIgnoringCase(m_inputPaths[k], output) &&
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
    // 2, 3. The edit's text; it must fit a path slot. A bare name goes to the videos folder.
    m_outputName = m_view.GetOutputText();
    if (!m_outputName.empty() && m_outputName.find('/') == std::string::npos &&
        !OutputFolder().empty()) {
        m_outputName = OutputFolder() + "/" + m_outputName;
        m_view.SetOutputText(m_outputName);
    }
    const std::string output = m_outputName;
    if (CharacterCount(output) >= kMaxPath) {
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
            // The first file's extension in place of the typed one, selected.
            std::string corrected = output.substr(0, output.size() - outputExt.size()) + firstExt;
            m_outputName = corrected;
            m_view.SetOutputText(corrected);
            int length = CharacterCount(corrected);
            int start = length - CharacterCount(bare);
            m_view.FocusOutputAndSelect(start, -1);
            return;
        }
        if (answer != IDNO) return;  // the box was closed without an answer
    }
    // An output that names an input would overwrite it in the join.
    if (!OutputSparesInputs(output)) {
        ShowJoinFailed();
        return;
    }
    // 6. Replace an existing output only when the user says so; it stays until the new one is
    // complete.
    m_replaceOutput = false;
    if (platform::FileExists(output)) {
        // Joined, not formatted: the language file's text is no format.
        std::string text = output + " " + lt.GetString(IDS_MESSAGE_FILE_EXIST);
        if (MessageBoxA(owner, text.c_str(), lt.GetString(IDS_MESSAGE_WARNING).c_str(),
                        MB_ICONWARNING | MB_YESNO) != IDYES)
            return;
        m_replaceOutput = true;
    }
    // 7 to 10. "Done" only for a join that succeeded; a stopped one wrote nothing and says so by
    // its silence, a failed one in one closing box.
    m_stopJoin = false;
    m_joinRunning = true;
    m_joinDamage.clear();
    platform::InstalledServices().waitCursor->BeginWaitCursor();
    m_view.JoinStarted();
    HRESULT hr = S_OK;
    RunEngineWork(m_setup.runJoin, [&] { hr = JoinFiles(); });
    m_view.JoinEnded();
    platform::InstalledServices().waitCursor->EndWaitCursor();
    m_joinRunning = false;
    if (hr == engine::kJoinStopped && m_stopJoin) return;
    if (Failed(hr)) {
        ShowJoinFailed();
        return;
    }
    // Damage survived is still loss: said first, as a warning.
    if (!m_joinDamage.empty()) {
        std::string text = "Damaged packets were skipped while joining:\n";
        for (const std::string& line : m_joinDamage) text += line + "\n";
        MessageBoxA(owner, text.c_str(), lt.GetString(IDS_MESSAGE_WARNING).c_str(),
                    MB_ICONWARNING | MB_OK);
    }
    std::string done = lt.GetString(IDS_MESSAGE_CONVERSION_DONE) + "\n\n" + output;
    MessageBoxA(owner, done.c_str(), "Message", MB_OK);
}

void CMainDialogLogic::ShowJoinFailed() {
    MessageBoxA(m_view.OwnerWindow(), g_languageTable.GetString(IDS_MESSAGE_JOIN_FAILED).c_str(),
                g_languageTable.GetString(IDS_MESSAGE_ERROR).c_str(), MB_ICONERROR | MB_OK);
}

void CMainDialogLogic::RunEngineWork(const RunBlocking& run, const std::function<void()>& work) {
    bool wasBusy = m_engineBusy;
    m_engineBusy = true;
    run(work);
    m_engineBusy = wasBusy;
}

double CMainDialogLogic::JoinProgress() {
    std::lock_guard<std::mutex> lock(m_runningLock);
    return m_runningMerger ? m_runningMerger->Progress() : -1.0;
}

bool CMainDialogLogic::AskToStopJoin() {
    if (!m_joinRunning) return false;
    if (m_stopJoin) return true;
    // The join waits while the question is open; one already putting its output in place is
    // past stopping.
    {
        std::lock_guard<std::mutex> lock(m_runningLock);
        if (!m_runningMerger || !m_runningMerger->Hold(true)) return false;
    }
    int answer = MessageBoxA(
        m_view.OwnerWindow(), "Do you want to stop joining the files? Nothing will be written.",
        g_languageTable.GetString(IDS_MESSAGE_WARNING).c_str(), MB_ICONQUESTION | MB_YESNO);
    if (answer == IDYES) m_stopJoin = true;
    {
        std::lock_guard<std::mutex> lock(m_runningLock);
        if (m_runningMerger) m_runningMerger->Hold(false);
    }
    return m_stopJoin;
}

HRESULT CMainDialogLogic::JoinFiles() {
    const std::string first = m_inputPaths[0], second = m_inputPaths[1];
    if (CharacterCount(m_outputName) >= kMaxPath) return E_INVALIDARG;
    const std::string output = m_outputName;

    HRESULT hr = engine::CheckJoinNames(first.c_str(), second.c_str(), output.c_str());
    if (Failed(hr)) return hr;

    engine::CMerger merger;
    merger.SetInputPaths(std::vector<std::string>(m_inputPaths, m_inputPaths + m_inputCount));
    merger.SetGapless(GaplessJoining());
    merger.SetPartMarkers(PartMarkers());
    merger.SetStopFlag(&m_stopJoin);
    {
        std::lock_guard<std::mutex> lock(m_runningLock);
        m_runningMerger = &merger;
    }
    hr = engine::RunJoin(merger, first.c_str(), second.c_str(), output.c_str(), m_replaceOutput);
    {
        std::lock_guard<std::mutex> lock(m_runningLock);
        m_runningMerger = nullptr;
    }
    if (Succeeded(hr)) m_joinDamage = engine::DamagedInputLines(merger);
    return hr;
}

bool CMainDialogLogic::GaplessJoining() {
    return platform::InstalledServices().settings->GetProfileInt(kSectionOption, kKeyGapless, 0) !=
           0;
}

void CMainDialogLogic::OnGaplessCommand() {
    platform::InstalledServices().settings->WriteProfileInt(kSectionOption, kKeyGapless,
                                                            GaplessJoining() ? 0 : 1);
}

bool CMainDialogLogic::PartMarkers() {
    return platform::InstalledServices().settings->GetProfileInt(kSectionOption, kKeyPartMarkers,
                                                                 0) != 0;
}

void CMainDialogLogic::OnPartMarkersCommand() {
    platform::InstalledServices().settings->WriteProfileInt(kSectionOption, kKeyPartMarkers,
                                                            PartMarkers() ? 0 : 1);
}

}  // namespace app
