#include "app/main_dialog.h"

#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "app/about_dialog.h"
#include "app/icons.h"
#include "app/join_progress_text.h"
#include "app/settings_table.h"
#include "app/template_dialog.h"
#include "i18n/language_table.h"
#include "platform/gui/shown_text.h"
#include "platform/menu_ids.h"
#include "platform/wx_font.h"
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
    Create(parent, wxID_ANY, wxString::FromUTF8(t->caption), wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX |
               wxRESIZE_BORDER);
    m_controls = BuildFromTemplate(this, *t);
    m_fileList = static_cast<wxListCtrl*>(Control(IDC_LIST_FILES));
    m_outputEdit = static_cast<wxTextCtrl*>(Control(IDC_EDIT_OUTPUT_FILE));
    m_progressBar = new wxGauge(this, wxID_ANY, 1000);
    m_progressText = new wxStaticText(this, wxID_ANY, "");
    m_progressBar->Hide();
    m_progressText->Hide();
    m_layout = {m_controls, m_progressBar, m_progressText, ""};
    BuildMainLayout(this, m_layout);
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
    // The list, the name and the progress read in the interface font too.
    wxFont font = platform::ToWxFont(g_languageTable.InterfaceFont);
    if (font.IsOk())
        for (wxWindow* w :
             {static_cast<wxWindow*>(m_fileList), static_cast<wxWindow*>(m_outputEdit),
              static_cast<wxWindow*>(m_progressText)})
            w->SetFont(font);
    TitleListColumns();
    m_layout.widestProgress = wxString::FromUTF8(
        "100%   " + g_languageTable.GetString(IDS_MESSAGE_TIME_LEFT) + " 00:00:00");
    RefitMainLayout(this, m_layout);
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
            [this, id, handler](wxCommandEvent&) {
                // While a join runs, Merge reads Stop.
                if (!JoinRunning())
                    handler();
                else if (id == IDC_BUTTON_CONVERT)
                    AskToStopJoin();
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
        // Escape offers to stop the join; the other controls are disabled meanwhile.
        if (key == WXK_ESCAPE)
            AskToStopJoin();
        else
            event.Skip();
        return;
    }
    if (OnShortcut(event)) return;
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
    m_joinStart = std::chrono::steady_clock::now();
    // Merge becomes Stop and keeps the focus, so that Escape and Enter arrive; all else waits.
    wxWindow* merge = Control(IDC_BUTTON_CONVERT);
    m_mergeLabel = merge->GetLabel();
    std::string stop = g_languageTable.GetDialogText(IDC_BUTTON_STOP);
    merge->SetLabel(
        wxString::FromUTF8(stop.empty() ? g_languageTable.GetString(IDC_BUTTON_STOP) : stop));
    merge->SetFocus();
    for (const auto& [id, control] : m_controls)
        if (id != IDC_BUTTON_CONVERT) control->Disable();
    m_progressBar->SetValue(0);
    m_progressText->SetLabel("0%");
    m_progressBar->Show();
    m_progressText->Show();
    RefitMainLayout(this, m_layout);
    // Four times a second at most; the title changes only when the figure does.
    m_progressTimer.Start(250);
}

void CMainDialog::ShowProgress() {
    double done = JoinProgress();
    if (done < 0) return;
    done = std::clamp(done, 0.0, 1.0);
    wxString title = wxString::Format("%d%% - ", int(done * 100)) + m_titleBeforeJoin;
    if (title != GetTitle()) SetTitle(title);
    m_progressBar->SetValue(int(done * m_progressBar->GetRange()));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_joinStart;
    wxString text = wxString::FromUTF8(
        JoinProgressText(done, elapsed.count(), g_languageTable.GetString(IDS_MESSAGE_TIME_LEFT)));
    if (text != m_progressText->GetLabel()) m_progressText->SetLabel(text);
}

void CMainDialog::JoinEnded() {
    m_progressTimer.Stop();
    SetTitle(m_titleBeforeJoin);
    m_progressBar->Hide();
    m_progressText->Hide();
    for (const auto& [id, control] : m_controls) control->Enable();
    Control(IDC_BUTTON_CONVERT)->SetLabel(m_mergeLabel);
    RefitMainLayout(this, m_layout);
    Control(IDC_BUTTON_CONVERT)->SetFocus();
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
    wxWindow* total = Control(IDC_STATIC_TOTAL_DURATION);
    total->SetLabel(wxString::FromUTF8(text));
    total->SetMinSize(total->GetTextExtent(total->GetLabel()));
    if (GetSizer()) Layout();
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
