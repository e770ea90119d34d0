#pragma once
// The main window, template 102: the input list, the output name and the commands, routed to
// CMainDialogLogic. Run modally by start-up.

#include <wx/dialog.h>

#include <map>

#include "app/main_dialog_logic.h"

class wxListCtrl;
class wxTextCtrl;
class wxCloseEvent;
class wxKeyEvent;

namespace app {

class CMainDialog : public wxDialog, public IDialogView, public CMainDialogLogic {
  public:
    CMainDialog(wxWindow* parent, DialogServices services);

    // IDialogView
    void* OwnerWindow() override { return this; }
    void DeleteAllRows() override;
    void InsertRow(int index, const std::string& text) override;
    void DeleteRow(int index) override;
    int GetNextSelectedRow(int after) override;
    void FocusList() override;
    std::string GetOutputText() override;
    void SetOutputText(const std::string& text) override;
    void FocusOutputAndSelect(int start, int end) override;

    void OnAbout();
    // The close box, Alt+F4 and Exit: saves the language, then ends the run as Cancel does.
    void OnClose(wxCloseEvent& event);
    void OnButtonExit();

    wxWindow* Control(int id) const;
    wxListCtrl* m_fileList = nullptr;
    wxTextCtrl* m_outputEdit = nullptr;

  private:
    void OnInitDialog();
    void Route();
    void OnCharHook(wxKeyEvent& event);

    std::map<int, wxWindow*> m_controls;
};

}  // namespace app
