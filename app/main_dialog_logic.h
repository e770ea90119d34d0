#pragma once
// The main window's state and commands without the window: the input list, the output name, the
// Merge command and the window's other commands. CMainDialog puts them on wxWidgets controls;
// tests drive them through a recording view. The platform services come from
// platform::InstalledServices().

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/list_durations.h"
#include "join_checks.h"
#include "merger.h"
#include "platform/system_info.h"
#include "wm_types.h"

namespace app {

// What the commands need of the window.
class IDialogView {
  public:
    virtual ~IDialogView() = default;
    // The owner of the dialog's message boxes and file dialogs.
    virtual void* OwnerWindow() = 0;

    // The list view: rows are text-only; a row object keeps its selection while rows are inserted
    // or deleted around it. Inserted rows are not selected.
    virtual void DeleteAllRows() = 0;
    virtual void InsertRow(int index, const std::string& text) = 0;
    virtual void DeleteRow(int index) = 0;
    // The first selected row after `after` (-1: from the top); -1 when there is none.
    virtual int GetNextSelectedRow(int after) = 0;
    virtual void FocusList() = 0;
    virtual void SelectRow(int /*index*/) {}
    // The list's total length beside the output label; "" for an empty list.
    virtual void ShowTotalDuration(const std::string& /*text*/) {}

    // The output name's edit field.
    virtual std::string GetOutputText() = 0;
    virtual void SetOutputText(const std::string& text) = 0;
    // Focus on the edit, characters [start, end) selected (end -1: to the end), caret in view.
    virtual void FocusOutputAndSelect(int start, int end) = 0;

    // Puts the current language's texts and interface font on the window.
    virtual void LocaliseWindow() = 0;

    // Around a join: the window takes no input but Escape and its close box, and shows progress.
    virtual void JoinStarted() {}
    virtual void JoinEnded() {}
};

using RunBlocking = std::function<void(const std::function<void()>&)>;

// What the window is handed that is no platform service.
struct DialogSetup {
    // Runs engine work that waits on the runtime's threads; inline unless the GUI serves
    // message boxes meanwhile. runJoin also keeps the window's events going (progress, Escape).
    RunBlocking runBlocking = [](const std::function<void()>& work) { work(); };
    RunBlocking runJoin = [](const std::function<void()>& work) { work(); };
    std::string appTitle = "splicora";  // caption of the application's standard box
    std::string baseFolder;             // holds language/ and help/
};

constexpr int kMaxInputFiles = engine::kMaxInputFiles;

// The four media filters of the open and save dialogs, in order.
const std::vector<std::pair<std::string, std::string>>& MediaFileFilters();
constexpr int kMaxPath = engine::kMaxPath;

class CMainDialogLogic {
  public:
    CMainDialogLogic(IDialogView& view, DialogSetup setup);
    virtual ~CMainDialogLogic() = default;
    CMainDialogLogic(const CMainDialogLogic&) = delete;
    CMainDialogLogic& operator=(const CMainDialogLogic&) = delete;

    // Window initialisation: the version query, an empty list and the start-up output name.
    void InitDialogState();

    // Merge.
    void OnButtonConvert();
    HRESULT JoinFiles();
    // While a join runs: the share of it done, 0 to 1; -1 when none runs. Any thread.
    double JoinProgress();
    bool JoinRunning() const { return m_joinRunning; }
    // Escape or the close box during a join: asks whether to stop it; true when the user said
    // yes, and the join then stops and writes nothing.
    bool AskToStopJoin();
    // The "Gapless joining" menu item: kept in the settings, off unless set.
    bool GaplessJoining();
    void OnGaplessCommand();
    // The "Mark each part" menu item: kept in the settings, off unless set.
    bool PartMarkers();
    void OnPartMarkersCommand();

    // The input list.
    void OnButtonAddVideo();
    // Dropped files go before slot at; -1 (or past the end) appends them.
    void OnDropFiles(const std::vector<std::string>& paths, int at = -1);
    // Moves the rows (ascending) together to the place before row `before` of the list as it
    // was (m_inputCount: the end); they stay selected.
    void MoveRowsTo(const std::vector<int>& rows, int before);
    // Row i's duration text (the list shows slot i in row i) and the list's total.
    std::string RowDuration(int slot);
    void ShowListTotal();
    void OnButtonItemUp();
    void OnButtonItemDown();
    void OnButtonItemDelete();
    void OnButtonItemClear();
    void OnFileListClick();
    int ProbeCompatibility(const char* path);
    int RemoveInputAt(int index);
    int RefreshFileList();
    int MoveRowUp(int index);
    int MoveRowDown(int index);

    // The output name.
    void OnButtonBrowse();
    std::string DefaultOutputName(const std::string& section, const std::string& key,
                                  const std::string& defaultName, int folderId);

    // The folder a name without one goes to: the videos folder, else the home folder.
    std::string OutputFolder();

    // The window's other commands.
    void OnButtonPreviewVideo();
    void OnButtonHelp();
    void OnButtonHomepage();
    // The close handler's first step.
    void SaveCurrentLanguage();
    // Escape: true when the window may close, at once for an empty list, else when the user says
    // yes to losing it.
    bool ConfirmCloseByKey();

    // The pop-up menu's language entries and Font command.
    void OnLanguageCommand(uintptr_t wParam);
    void SwitchLanguage(int commandId);
    void OnPopupMenuFont();

    std::string m_outputName;
    int m_inputCount = 0;
    engine::PathSlot m_inputPaths[kMaxInputFiles] = {};
    platform::OSVERSIONINFOA m_osVersion = {};

  protected:
    IDialogView& m_view;
    DialogSetup m_setup;

  private:
    // Runs engine work through run; drops that arrive meanwhile are ignored.
    void RunEngineWork(const RunBlocking& run, const std::function<void()>& work);
    // Appends one candidate after the checks every road shares; false when the list is full, which
    // ends the Add or the drop.
    bool AppendProbed(const std::string& path);
    // The same-name refusal for every slot; true when the output may be written.
    bool OutputSparesInputs(const std::string& output);
    // The closing box of a join that failed or was refused.
    void ShowJoinFailed();

    CListDurations m_durations;
    bool m_engineBusy = false;
    bool m_joinRunning = false;
    std::atomic<bool> m_stopJoin{false};
    bool m_replaceOutput = false;           // the user allowed the join to replace the output
    std::vector<std::string> m_joinDamage;  // "FILE: N damaged packets skipped" of the last join
    std::mutex m_runningLock;               // guards m_runningMerger against its end
    engine::CMerger* m_runningMerger = nullptr;
};

}  // namespace app
