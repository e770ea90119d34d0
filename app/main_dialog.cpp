#include "app/main_dialog.h"

#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "app/about_dialog.h"
#include "app/icons.h"
#include "app/settings_table.h"
#include "app/template_dialog.h"
#include "i18n/language_table.h"
#include "platform/gui/shown_text.h"
#include "platform/menu_ids.h"
#include "resources/resource_ids.h"

namespace app {

namespace {

// Files dropped from the desktop, on the window or on any of its controls.
// On the list they go where they are dropped.
class CFileDrop : public wxFileDropTarget {
  public:
    CFileDrop(CMainDialog* dialog, bool onList) : m_dialog(dialog), m_onList(onList) {}
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override {
        std::vector<std::string> paths;
        for (const wxString& n : names) paths.push_back(n.utf8_string());
        m_dialog->OnDropFiles(paths, m_onList ? m_dialog->RowAt(wxPoint(x, y)) : -1);
        return true;
    }

  private:
    CMainDialog* m_dialog;
    bool m_onList;
};

}  // namespace

CMainDialog::CMainDialog(wxWindow* parent, DialogSetup setup)
    : CMainDialogLogic(*this, std::move(setup)) {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(IDD_SPLICORA_DIALOG);
    // Caption, system menu and minimise box; neither maximisable nor resizable.
    Create(parent, wxID_ANY, wxString::FromUTF8(t->caption), wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX);
    m_controls = BuildFromTemplate(this, *t);
    m_fileList = static_cast<wxListCtrl*>(Control(IDC_LIST_FILES));
    m_outputEdit = static_cast<wxTextCtrl*>(Control(IDC_EDIT_OUTPUT_FILE));
    SetOutputText(m_outputName);
    // No default push button: Enter is handled in OnCharHook.
    SetAffirmativeId(wxID_NONE);
    SetEscapeId(wxID_NONE);
    Route();
    OnInitDialog();
    Centre();
}

void CMainDialog::OnInitDialog() {
    wxIconBundle icons;
    icons.AddIcon(LoadAppIcon(IDR_MAINFRAME));
    SetIcons(icons);
    m_fileList->InsertColumn(0, wxString::FromUTF8(g_languageTable.GetString(IDS_COLUMN_FILE_NAME)),
                             wxLIST_FORMAT_CENTRE, 250);
    AddDurationColumn();
    InitDialogState();
    SetDropTarget(new CFileDrop(this, false));
    for (wxWindow* child : GetChildren())
        child->SetDropTarget(new CFileDrop(this, child == m_fileList));
    BindListPointer();
    LocaliseWindow();
    Control(IDC_BUTTON_ADD_VIDEO)->SetFocus();
}

void CMainDialog::LocaliseWindow() {
    g_languageTable.ApplyToDialog(this, IDD_SPLICORA_DIALOG);
    // The total takes the label's font, and its word in the current language.
    Control(IDC_STATIC_TOTAL_DURATION)->SetFont(Control(IDC_STATIC_OUTPUT_FILE)->GetFont());
    ShowListTotal();
    CentreLabels(this, *resources::FindDialogTemplate(IDD_SPLICORA_DIALOG), m_controls);
}

void CMainDialog::Route() {
    // In the order of the window's message map; the system menu, iconic painting and the drag
    // icon have no counterpart under GTK.
    Bind(wxEVT_CLOSE_WINDOW, &CMainDialog::OnClose, this);
    m_fileList->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& e) {
        OnFileListClick();
        e.Skip();
    });
    const std::pair<int, std::function<void()>> buttons[] = {
        {IDC_BUTTON_ADD_VIDEO, [this] { OnButtonAddVideo(); }},
        {IDC_BUTTON_ITEM_UP, [this] { OnButtonItemUp(); }},
        {IDC_BUTTON_ITEM_DOWN, [this] { OnButtonItemDown(); }},
        {IDC_BUTTON_ITEM_DELETE, [this] { OnButtonItemDelete(); }},
        {IDC_BUTTON_ITEM_CLEAR, [this] { OnButtonItemClear(); }},
        {IDC_BUTTON_CONVERT, [this] { OnButtonConvert(); }},
        {IDC_BUTTON_BROWSE, [this] { OnButtonBrowse(); }},
        {IDC_BUTTON_HOMEPAGE, [this] { OnButtonHomepage(); }},
        {IDC_BUTTON_PREVIEW_VIDEO, [this] { OnButtonPreviewVideo(); }},
        {IDC_BUTTON_EXIT, [this] { OnButtonExit(); }},
        {IDC_BUTTON_HELP, [this] { OnButtonHelp(); }},
    };
    for (const auto& [id, handler] : buttons)
        Bind(
            wxEVT_BUTTON,
            [this, handler](wxCommandEvent&) {
                if (!JoinRunning()) handler();
            },
            id);
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
        OnMenuCommand(platform::FromWxMenuId(e.GetId()));
        e.Skip();
    });
    // A right-button release on the background, or on a label, which lets mouse input through.
    Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& e) {
        if (JoinRunning()) return;
        ShowPopupMenu(e.GetX(), e.GetY());
        e.Skip();
    });
    for (wxWindow* child : GetChildren()) {
        if (!dynamic_cast<wxStaticText*>(child) && !dynamic_cast<wxStaticBitmap*>(child)) continue;
        child->Bind(wxEVT_RIGHT_UP, [this, child](wxMouseEvent& e) {
            if (JoinRunning()) return;
            wxPoint where = child->GetPosition() + e.GetPosition();
            ShowPopupMenu(where.x, where.y);
        });
    }
    Bind(wxEVT_CHAR_HOOK, &CMainDialog::OnCharHook, this);
    m_progressTimer.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ShowProgress(); });
}

wxWindow* CMainDialog::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CMainDialog::OnCharHook(wxKeyEvent& event) {
    int key = event.GetKeyCode();
    if (JoinRunning()) {
        // Escape offers to stop the join; no other key does anything meanwhile.
        if (key == WXK_ESCAPE) AskToStopJoin();
        return;
    }
    if (key == WXK_ESCAPE) {
        // Closes as the close box does (saving the language), never losing a list unasked.
        if (ConfirmCloseByKey()) Close();
        return;
    }
    // Enter presses a focused push button and does nothing elsewhere.
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) &&
        !dynamic_cast<wxButton*>(wxWindow::FindFocus()))
        return;
    event.Skip();
}

void CMainDialog::OnClose(wxCloseEvent& event) {
    if (JoinRunning()) {
        // The window closes once a join the user stopped has ended.
        if (event.CanVeto()) event.Veto();
        if (AskToStopJoin()) m_closeAfterJoin = true;
        return;
    }
    SaveCurrentLanguage();
    if (IsModal())
        EndModal(wxID_CANCEL);
    else
        Hide();
}

void CMainDialog::OnButtonExit() { Close(); }

void CMainDialog::JoinStarted() {
    m_titleBeforeJoin = GetTitle();
    m_closeAfterJoin = false;
    // The controls keep the focus, so that Escape arrives, but take no input: the buttons and the
    // keyboard are ignored meanwhile, and the edit field is read-only.
    m_outputEdit->SetEditable(false);
    // Four times a second at most; the title changes only when the figure does.
    m_progressTimer.Start(250);
}

void CMainDialog::ShowProgress() {
    double done = JoinProgress();
    if (done < 0) return;
    wxString title =
        wxString::Format("%d%% - ", int(std::clamp(done, 0.0, 1.0) * 100)) + m_titleBeforeJoin;
    if (title != GetTitle()) SetTitle(title);
}

void CMainDialog::JoinEnded() {
    m_progressTimer.Stop();
    SetTitle(m_titleBeforeJoin);
    m_outputEdit->SetEditable(true);
    if (m_closeAfterJoin) CallAfter([this] { Close(); });
}

void CMainDialog::OnMenuCommand(int commandId) {
    OnLanguageCommand(static_cast<uintptr_t>(commandId));
    if (commandId == IDM_ABOUT)
        OnAbout();
    else if (commandId == IDM_POPUPMENU_FONT)
        OnPopupMenuFont();
    else if (commandId == IDM_GAPLESS)
        OnGaplessCommand();
    else if (commandId == IDM_PART_MARKERS)
        OnPartMarkersCommand();
}

void CMainDialog::OnAbout() {
    CAboutDialog about(this);
    about.ShowModal();
}

void CMainDialog::DeleteAllRows() { m_fileList->DeleteAllItems(); }

void CMainDialog::InsertRow(int index, const std::string& text) {
    m_fileList->InsertItem(index, platform::ShownText(text));
    m_fileList->SetItem(index, 1, platform::ShownText(RowDuration(index)));
}

void CMainDialog::DeleteRow(int index) { m_fileList->DeleteItem(index); }

int CMainDialog::GetNextSelectedRow(int after) {
    return int(m_fileList->GetNextItem(after, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void CMainDialog::FocusList() { m_fileList->SetFocus(); }

void CMainDialog::SelectRow(int index) {
    m_fileList->SetItemState(index, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void CMainDialog::ShowTotalDuration(const std::string& text) {
    Control(IDC_STATIC_TOTAL_DURATION)->SetLabel(wxString::FromUTF8(text));
}

// A name whose bytes are not UTF-8 comes back as it was set while the user leaves it alone.
std::string CMainDialog::GetOutputText() {
    const wxString shown = m_outputEdit->GetValue();
    return shown == platform::ShownText(m_outputSet) ? m_outputSet : shown.utf8_string();
}

void CMainDialog::SetOutputText(const std::string& text) {
    m_outputSet = text;
    m_outputEdit->ChangeValue(platform::ShownText(text));
}

void CMainDialog::FocusOutputAndSelect(int start, int end) {
    m_outputEdit->SetFocus();
    long last = m_outputEdit->GetLastPosition();
    m_outputEdit->SetSelection(start, end < 0 ? last : end);
    m_outputEdit->ShowPosition(last);
}

}  // namespace app
