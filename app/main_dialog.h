#pragma once
// The main window, template 102: the input list, the output name and the commands, routed to
// CMainDialogLogic. Run modally by start-up.

#include <wx/dialog.h>
#include <wx/timer.h>

#include <chrono>
#include <map>
#include <vector>

#include "app/main_dialog_logic.h"
#include "app/main_layout.h"
#include "resources/resource_ids.h"

class wxGauge;
class wxListCtrl;
class wxStaticText;
class wxMenu;
class wxTextCtrl;
class wxCloseEvent;
class wxKeyEvent;

namespace app {

class CMainDialog : public wxDialog, public IDialogView, public CMainDialogLogic {
  public:
    CMainDialog(wxWindow* parent, DialogSetup setup);

    // IDialogView
    void* OwnerWindow() override { return this; }
    void DeleteAllRows() override;
    void InsertRow(int index, const std::string& text) override;
    void DeleteRow(int index) override;
    int GetNextSelectedRow(int after) override;
    void FocusList() override;
    void SelectRow(int index) override;
    void ShowTotalDuration(const std::string& text) override;
    std::string GetOutputText() override;
    void SetOutputText(const std::string& text) override;
    void FocusOutputAndSelect(int start, int end) override;
    void LocaliseWindow() override;
    void JoinStarted() override;
    void JoinEnded() override;

    void OnAbout();
    // A menu command: a language entry, Font or About.
    void OnMenuCommand(int commandId);
    // The pop-up menu at a point of the client area, after a right-button release there.
    void ShowPopupMenu(int x, int y, int menuId = IDR_POPUP_MENU);
    void FillLanguageMenu(wxMenu* menu, wxMenu* popup);
    // The close box, Alt+F4 and Exit: saves the language, then ends the run as Cancel does.
    void OnClose(wxCloseEvent& event);
    void OnButtonExit();

    wxWindow* Control(int id) const;
    // The list's own window of rows (under its header): pointer positions there are what
    // HitTest takes.
    wxWindow* ListRows() const;
    // Where files dropped, or rows dragged, at a point of the rows' window go: the row there
    // (-1: the end of the list).
    int RowAt(const wxPoint& where) const;
    wxListCtrl* m_fileList = nullptr;
    wxTextCtrl* m_outputEdit = nullptr;
    wxGauge* m_progressBar = nullptr;  // under the list, shown while a join runs
    wxStaticText* m_progressText = nullptr;
    std::string m_outputSet;  // the name last put into the output box, byte for byte

  protected:
    // Shows popup modally at a point of the client area; a chosen entry arrives as a menu event.
    virtual void TrackPopup(wxMenu* popup, const wxPoint& where);

  private:
    void OnInitDialog();
    void Route();
    // The duration column beside the names, both in view.
    void AddDurationColumn();
    int DurationColumnWidth(const wxString& heading) const;
    // Both headers in the current language, each column widened to show its header whole.
    void TitleListColumns();
    // A row's full path as its tooltip, and rows dragged to a new place.
    void BindListPointer();
    void OnCharHook(wxKeyEvent& event);
    // Keys of an idle window: Delete, Ctrl+A, F1, Shift+F10 and Menu; false for any other.
    bool OnShortcut(const wxKeyEvent& event);
    // Alt and a letter marked by & in a button's or label's text: presses the button, or
    // focuses the control after the label.
    bool PressKeyLetter(const wxKeyEvent& event);
    void ShowPopupMenuAtFocus();
    void SelectAllRows();

    void ShowProgress();

    std::map<int, wxWindow*> m_controls;
    MainLayoutParts m_layout;
    wxString m_mergeLabel;  // the Merge button's text while it reads Stop
    std::chrono::steady_clock::time_point m_joinStart;
    wxTimer m_progressTimer;
    wxString m_titleBeforeJoin;
    bool m_closeAfterJoin = false;
    std::vector<int> m_draggedRows;  // rows being dragged, ascending
};

}  // namespace app
