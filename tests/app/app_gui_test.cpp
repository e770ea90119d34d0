// The real window under a display: the template's layout, rows on a real list control, thread-safe
// message boxes, the ways the window closes, and a whole join through the running program with
// the file dialogs faked. Skipped without a display (failed under CI).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/dnd.h>
#include <wx/gauge.h>
#include <wx/init.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "app/main_app.h"
#include "app/main_dialog.h"
#include "fakes/recording_file_dialogs.h"
#include "fakes/recording_font_chooser.h"
#include "fakes/recording_message_box.h"
#include "fakes/recording_settings_store.h"
#include "fakes/recording_shell.h"
#include "fakes/recording_system_info.h"
#include "fakes/recording_wait_cursor.h"
#include "i18n/language_table.h"
#include "judge_required.h"
#include "loaded_languages.h"
#include "platform/file_helpers.h"
#include "platform/font.h"
#include "platform/linux/settings_store.h"
#include "platform/menu_ids.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/temp_folder.h"
#include "platform/wx_font.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "window_wait.h"

// GTK and the libraries under it keep caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
           "leak:libdbus-1.so\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libpango\n"
           "leak:libatk\nleak:libgio-2.0.so\n";
}

namespace {

bool g_haveDisplay = false;

#define REQUIRE_DISPLAY() REQUIRE_JUDGE(g_haveDisplay, "display")

void FailOnAssert(const wxString& file, int line, const wxString& function, const wxString& cond,
                  const wxString& message) {
    ADD_FAILURE() << "wxWidgets check failed: " << file.utf8_string() << ":" << line << " "
                  << function.utf8_string() << ": " << cond.utf8_string() << " "
                  << message.utf8_string();
}

// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::Services fakes;
        fakes.messageBox = &m_box;
        fakes.settings = &m_settings;
        fakes.fileDialogs = &m_dialogs;
        fakes.fontChooser = &m_fonts;
        fakes.waitCursor = &m_cursor;
        fakes.shell = &m_shell;
        fakes.system = &m_system;
        m_installed.emplace(fakes);
    }
    void TearDown() override { m_installed.reset(); }

    platform::RecordingMessageBox m_box;
    platform::RecordingSettingsStore m_settings;
    platform::RecordingFileDialogs m_dialogs;
    platform::RecordingFontChooser m_fonts;
    platform::RecordingWaitCursor m_cursor;
    platform::RecordingShell m_shell;
    platform::RecordingSystemInfo m_system;
    std::optional<platform::ScopedServices> m_installed;
    app::DialogSetup m_setup;
};

// Sizers, not the template's places: each control at least its template size at the default
// font, Tab in reading order, and the list and name box take what the window grows by.
TEST_F(WindowTest, ControlsReadInTabOrderAndTheListAndNameStretchWithTheWindow) {
    REQUIRE_DISPLAY();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    const auto* t = resources::FindDialogTemplate(IDD_SPLICORA_DIALOG);
    const wxSize client = dialog->GetClientSize();
    const wxSize templateSize = dialog->ConvertDialogToPixels(wxSize(t->width, t->height));
    EXPECT_GE(client.x, templateSize.x);
    EXPECT_GE(client.y, templateSize.y);
    for (const resources::DialogControl& c : t->controls) {
        wxSize size = dialog->Control(c.id)->GetSize();
        wxSize given = dialog->ConvertDialogToPixels(wxSize(c.width, c.height));
        if (c.kind == resources::ControlKind::PushButton) {
            EXPECT_GE(size.x, given.x) << c.text;
            EXPECT_GE(size.y, given.y) << c.text;
        }
        EXPECT_TRUE(wxRect(client).Contains(dialog->Control(c.id)->GetRect())) << c.text;
    }
    std::vector<int> tabOrder;
    for (wxWindow* child : dialog->GetChildren())
        if (child->CanAcceptFocus()) tabOrder.push_back(child->GetId());
    EXPECT_EQ(tabOrder,
              (std::vector<int>{IDC_LIST_FILES, IDC_BUTTON_ADD_VIDEO, IDC_BUTTON_ITEM_UP,
                                IDC_BUTTON_ITEM_DOWN, IDC_BUTTON_ITEM_DELETE, IDC_BUTTON_ITEM_CLEAR,
                                IDC_EDIT_OUTPUT_FILE, IDC_BUTTON_BROWSE, IDC_BUTTON_CONVERT,
                                IDC_BUTTON_PREVIEW_VIDEO, IDC_BUTTON_HELP, IDC_BUTTON_HOMEPAGE,
                                IDC_BUTTON_EXIT}));
    EXPECT_EQ(dialog->GetDefaultItem(), nullptr);
    EXPECT_TRUE(dialog->HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(dialog->HasFlag(wxMINIMIZE_BOX));

    const wxSize list = dialog->m_fileList->GetSize();
    const wxSize edit = dialog->m_outputEdit->GetSize();
    const wxPoint exit = dialog->Control(IDC_BUTTON_EXIT)->GetPosition();
    dialog->SetClientSize(client + wxSize(200, 100));
    dialog->Layout();
    EXPECT_EQ(dialog->m_fileList->GetSize(), list + wxSize(200, 100));
    EXPECT_EQ(dialog->m_outputEdit->GetSize().x, edit.x + 200);
    EXPECT_EQ(dialog->Control(IDC_BUTTON_EXIT)->GetPosition().y, exit.y + 100);

    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
    ASSERT_TRUE(dialog->m_fileList->GetColumn(0, column));
    EXPECT_EQ(dialog->m_fileList->GetColumnCount(), 2);
    EXPECT_EQ(column.GetText(), "Video File Name");
    EXPECT_EQ(column.GetAlign(), wxLIST_FORMAT_CENTRE);
    int nameWidth = column.GetWidth();
    ASSERT_TRUE(dialog->m_fileList->GetColumn(1, column));
    EXPECT_EQ(column.GetText(), "Duration(s)");
    EXPECT_EQ(column.GetAlign(), wxLIST_FORMAT_RIGHT);
    // Both columns in view, the names wider.
    EXPECT_LE(nameWidth + column.GetWidth(), dialog->m_fileList->GetClientSize().x);
    EXPECT_GT(nameWidth, column.GetWidth());
    EXPECT_EQ(dialog->m_outputEdit->GetValue(), "/home/user/Videos/splicora.wmv");
    dialog->Destroy();
}

TEST_F(WindowTest, RowsOfTheRealListKeepTheirSelectionWhenMoved) {
    REQUIRE_DISPLAY();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    const char* paths[] = {"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"};
    for (const char* p : paths)
        std::snprintf(dialog->m_inputPaths[dialog->m_inputCount++], 260, "%s", p);
    dialog->RefreshFileList();
    auto select = [&](long row) {
        dialog->m_fileList->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    };
    select(1);
    select(2);
    dialog->OnButtonItemDown();
    std::vector<std::string> texts;
    std::vector<int> selected;
    for (int r = 0; r < dialog->m_fileList->GetItemCount(); ++r) {
        texts.push_back(dialog->m_fileList->GetItemText(r).utf8_string());
        if (dialog->m_fileList->GetItemState(r, wxLIST_STATE_SELECTED)) selected.push_back(r);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"a.wmv", "d.wmv", "b.wmv", "c.wmv"}));
    EXPECT_EQ(selected, (std::vector<int>{2, 3}));
    dialog->OnButtonItemUp();
    EXPECT_EQ(dialog->GetNextSelectedRow(-1), 1);
    EXPECT_EQ(std::string(dialog->m_inputPaths[1]), "/v/b.wmv");
    dialog->Destroy();
}

TEST_F(WindowTest, NamesThatAreNotUtf8ShowAndComeBackByteForByte) {
    REQUIRE_DISPLAY();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    const std::string name = "/v/caf\xe9.wmv";  // Latin-1, not UTF-8
    std::snprintf(dialog->m_inputPaths[dialog->m_inputCount++], 260, "%s", name.c_str());
    dialog->RefreshFileList();
    EXPECT_EQ(dialog->m_fileList->GetItemText(0).utf8_string(), "caf\xef\xbf\xbd.wmv");
    dialog->SetOutputText(name);
    EXPECT_EQ(dialog->GetOutputText(), name);
    dialog->m_outputEdit->ChangeValue("/v/other.wmv");
    EXPECT_EQ(dialog->GetOutputText(), "/v/other.wmv");
    dialog->Destroy();
}

std::string Sample(const std::string& name) { return std::string(SPLICORA_TEST_DATA) + "/" + name; }

// m:ss of ffprobe's duration of a file, or of the sum of several, rounded to the second.
std::string FfprobeDuration(const std::vector<std::string>& paths) {
    double seconds = 0;
    for (const std::string& p : paths)
        seconds += std::atof(
            Capture("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + p + "'")
                .c_str());
    long s = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::vector<std::string> RowTexts(app::CMainDialog* dialog, int column) {
    std::vector<std::string> texts;
    for (int r = 0; r < dialog->m_fileList->GetItemCount(); ++r)
        texts.push_back(dialog->m_fileList->GetItemText(r, column).utf8_string());
    return texts;
}

// The middle of a row in the rows' window, found as the list's own hit test finds it.
wxPoint RowCentre(app::CMainDialog* dialog, int row) {
    int first = -1, last = -1;
    for (int y = 0; y < dialog->ListRows()->GetClientSize().y; ++y) {
        if (dialog->RowAt(wxPoint(20, y)) != row) continue;
        if (first < 0) first = y;
        last = y;
    }
    return wxPoint(20, (first + last) / 2);
}

// Each added file's duration as ffprobe gives it, the list's total beside the output label, and
// a row's full path as its tooltip once the pointer rests on it.
TEST_F(WindowTest, TheListShowsEachFilesDurationTheTotalAndTheFullPath) {
    REQUIRE_DISPLAY();
    REQUIRE_JUDGE(!Capture("command -v ffprobe").empty(), "ffprobe");
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    dialog->Show();
    const std::vector<std::string> files = {Sample("av_wmv2_wma2_meta.wmv"), Sample("av_part2.wmv"),
                                            Sample("av_part3.wmv"), Sample("av_part2.wmv")};
    EXPECT_EQ(dialog->Control(IDC_STATIC_TOTAL_DURATION)->GetLabel(), "");
    dialog->OnDropFiles(files);
    std::vector<std::string> expected;
    for (const std::string& f : files) expected.push_back(FfprobeDuration({f}));
    EXPECT_EQ(RowTexts(dialog, 1), expected);
    EXPECT_EQ(dialog->Control(IDC_STATIC_TOTAL_DURATION)->GetLabel().utf8_string(),
              "Total: " + FfprobeDuration(files));
    dialog->OnButtonItemClear();
    EXPECT_EQ(dialog->Control(IDC_STATIC_TOTAL_DURATION)->GetLabel(), "");

    dialog->OnDropFiles(files);
    ASSERT_TRUE(Settle([&] { return dialog->IsShownOnScreen(); }));
    wxWindow* rows = dialog->ListRows();
    wxUIActionSimulator mouse;
    mouse.MouseMove(rows->ClientToScreen(RowCentre(dialog, 2)));
    EXPECT_TRUE(Settle([&] { return rows->GetToolTipText().utf8_string() == files[2]; }))
        << rows->GetToolTipText().utf8_string();
    dialog->Destroy();
}

// A row dragged with the mouse takes the place of the row it is let go on; files dropped on a
// row go before it, and stay selected.
TEST_F(WindowTest, RowsDraggedAndFilesDroppedGoWhereTheyAreLetGo) {
    REQUIRE_DISPLAY();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    dialog->Show();
    const char* paths[] = {"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"};
    for (const char* p : paths)
        std::snprintf(dialog->m_inputPaths[dialog->m_inputCount++], 260, "%s", p);
    dialog->RefreshFileList();
    ASSERT_TRUE(Settle([&] { return dialog->IsShownOnScreen(); }));
    dialog->SelectRow(0);
    wxWindow* rows = dialog->ListRows();
    wxPoint from = rows->ClientToScreen(RowCentre(dialog, 0));
    wxPoint to = rows->ClientToScreen(RowCentre(dialog, 2));
    wxUIActionSimulator mouse;
    mouse.MouseMove(from);
    WaitIdle();
    mouse.MouseDown();
    for (int step = 1; step <= 10; ++step) {
        mouse.MouseMove(from + (to - from) * step / 10);
        WaitIdle();
    }
    mouse.MouseUp();
    EXPECT_TRUE(Settle([&] { return std::string(dialog->m_inputPaths[0]) == "/v/b.wmv"; }));
    EXPECT_EQ(RowTexts(dialog, 0), (std::vector<std::string>{"b.wmv", "c.wmv", "a.wmv", "d.wmv"}));
    EXPECT_EQ(dialog->GetNextSelectedRow(-1), 2);
    EXPECT_EQ(dialog->GetNextSelectedRow(2), -1);

    dialog->OnButtonItemClear();
    for (const char* name : {"av_wmv2_wma2_meta.wmv", "av_part2.wmv"})
        std::snprintf(dialog->m_inputPaths[dialog->m_inputCount++], 260, "%s",
                      Sample(name).c_str());
    dialog->RefreshFileList();
    auto* drop = dynamic_cast<wxFileDropTarget*>(dialog->m_fileList->GetDropTarget());
    ASSERT_NE(drop, nullptr);
    wxPoint onRow1 = RowCentre(dialog, 1);
    wxArrayString dropped;
    dropped.Add(wxString::FromUTF8(Sample("av_part3.wmv")));
    drop->OnDropFiles(onRow1.x, onRow1.y, dropped);
    EXPECT_EQ(RowTexts(dialog, 0),
              (std::vector<std::string>{"av_wmv2_wma2_meta.wmv", "av_part3.wmv", "av_part2.wmv"}));
    EXPECT_EQ(std::string(dialog->m_inputPaths[1]), Sample("av_part3.wmv"));
    EXPECT_EQ(dialog->GetNextSelectedRow(-1), 1);
    dropped[0] = wxString::FromUTF8(Sample("av_part2.wmv"));
    drop->OnDropFiles(onRow1.x, 1000, dropped);  // below the rows: the end
    EXPECT_EQ(RowTexts(dialog, 0).back(), "av_part2.wmv");
    EXPECT_EQ(dialog->m_inputCount, 4);
    dialog->Destroy();
}

// Preview and Help that cannot start a program say what to install and where to look.
TEST_F(WindowTest, PreviewAndHelpThatCannotStartAProgramSayWhatToDo) {
    REQUIRE_DISPLAY();
    TempFolder dir;
    m_setup.baseFolder = dir.Path();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    auto click = [&](int id) {
        wxCommandEvent event(wxEVT_BUTTON, id);
        dialog->Control(id)->ProcessWindowEvent(event);
    };
    const std::string page = dir.Path() + "/help/Introduction.htm";
    click(IDC_BUTTON_HELP);  // no guide
    ASSERT_EQ(m_box.calls.size(), 1u);
    EXPECT_EQ(m_box.calls[0].text,
              "The help file " + page + " is missing. Install Splicora again to restore it.");
    EXPECT_TRUE(m_shell.calls.empty());

    dir.Write("help/Introduction.htm", "<p>guide</p>");
    dialog->m_outputName = dir.Write("joined.wmv", "x");
    m_shell.results = {2, 2};  // neither the opener nor the viewer starts
    click(IDC_BUTTON_HELP);
    click(IDC_BUTTON_PREVIEW_VIDEO);
    ASSERT_EQ(m_box.calls.size(), 3u);
    EXPECT_EQ(m_box.calls[1].text,
              "The help could not be opened: xdg-open could not be started. Install xdg-utils and "
              "a web browser, or open " +
                  page + " in your web browser.");
    EXPECT_EQ(m_box.calls[2].text, "No program could be started to play " + dialog->m_outputName +
                                       ".\nInstall xdg-utils (xdg-open) and a video player that "
                                       "plays Windows Media files, such as VLC or mpv, or open "
                                       "the file in a player yourself.");
    dialog->Destroy();
}

// Keys from the display: Enter in the name box or on the list keeps the window and its list;
// Escape closes an empty window at once, a full one only after a yes; every close saves the
// language.
TEST_F(WindowTest, EnterAndEscapeNeverLoseTheList) {
    REQUIRE_DISPLAY();
    auto run = [&](std::function<void(app::CMainDialog*)> action) {
        auto* dialog = new app::CMainDialog(nullptr, m_setup);
        wxTheApp->CallAfter([dialog, action] { action(dialog); });
        int result = dialog->ShowModal();
        dialog->Destroy();
        return result;
    };
    // A real key press on target, then the window's events until it is handled.
    auto press = [](wxWindow* target, int code) {
        target->SetFocus();
        wxUIActionSimulator keys;
        keys.MouseMove(target->GetScreenRect().GetPosition() + wxPoint(5, 5));
        wxYield();
        keys.Char(code);
        for (int i = 0; i < 20; ++i) {
            wxYield();
            wxMilliSleep(10);
        }
    };
    auto rows = [](app::CMainDialog* d) {
        std::vector<std::string> texts;
        for (int r = 0; r < d->m_fileList->GetItemCount(); ++r)
            texts.push_back(d->m_fileList->GetItemText(r).utf8_string());
        return texts;
    };
    const std::vector<std::string> listed = {"av_wmv2_wma2_meta.wmv", "av_part2.wmv"};

    EXPECT_EQ(run([&](app::CMainDialog* d) { press(d->m_fileList, WXK_ESCAPE); }), wxID_CANCEL);
    EXPECT_TRUE(m_box.calls.empty());
    ASSERT_EQ(m_settings.writes.size(), 1u);
    EXPECT_EQ(m_settings.writes[0].key, "CurrentLanguage");
    EXPECT_EQ(m_settings.writes[0].value.text, g_languageTable.GetCurrentLanguage());

    m_settings.writes.clear();
    m_box.answers = {IDNO, IDYES};
    bool shownAfterKeys = false;
    std::vector<std::string> rowsAfterKeys;
    std::string typed;
    int result = run([&](app::CMainDialog* d) {
        d->m_inputCount = 0;
        for (const std::string& name : listed)
            std::snprintf(d->m_inputPaths[d->m_inputCount++], sizeof(engine::PathSlot), "%s",
                          (std::string(SPLICORA_TEST_DATA) + "/" + name).c_str());
        d->RefreshFileList();
        d->m_outputEdit->ChangeValue("/typed.wmv");
        press(d->m_outputEdit, WXK_RETURN);
        press(d->m_fileList, WXK_RETURN);
        press(d->m_fileList, WXK_ESCAPE);  // answered no
        shownAfterKeys = d->IsShown() && d->IsModal();
        rowsAfterKeys = rows(d);
        typed = d->m_outputEdit->GetValue().utf8_string();
        press(d->m_fileList, WXK_ESCAPE);  // answered yes
        if (d->IsModal()) d->EndModal(wxID_ABORT);
    });
    EXPECT_TRUE(shownAfterKeys);
    EXPECT_EQ(rowsAfterKeys, listed);
    EXPECT_EQ(typed, "/typed.wmv");
    EXPECT_EQ(result, wxID_CANCEL);
    ASSERT_EQ(m_box.calls.size(), 2u);
    EXPECT_EQ(m_box.calls[0].text,
              "Do you want to close the window? The list of files will be lost.");
    ASSERT_EQ(m_settings.writes.size(), 1u);
    EXPECT_EQ(m_settings.writes[0].key, "CurrentLanguage");

    m_settings.writes.clear();
    auto exit = run([](app::CMainDialog* d) {
        wxCommandEvent click(wxEVT_BUTTON, IDC_BUTTON_EXIT);
        d->Control(IDC_BUTTON_EXIT)->ProcessWindowEvent(click);
    });
    EXPECT_EQ(exit, wxID_CANCEL);
    EXPECT_EQ(m_settings.writes.size(), 1u);
}

TEST_F(WindowTest, TheAboutBoxShowsTheTemplateTexts) {
    REQUIRE_DISPLAY();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    std::string title, version;
    wxTheApp->CallAfter([&] {
        auto* about = dynamic_cast<wxDialog*>(wxGetActiveWindow());
        if (!about) {
            for (wxWindow* w : wxTopLevelWindows)
                if (w != dialog && dynamic_cast<wxDialog*>(w)) about = static_cast<wxDialog*>(w);
        }
        ASSERT_NE(about, nullptr);
        title = about->GetTitle().utf8_string();
        if (wxWindow* v = about->FindWindow(IDC_STATIC_VERSION))
            version = v->GetLabel().utf8_string();
        about->EndModal(wxID_OK);
    });
    wxCommandEvent menu(wxEVT_MENU, platform::ToWxMenuId(IDM_ABOUT));
    dialog->ProcessWindowEvent(menu);
    EXPECT_EQ(title, "About Splicora");
    EXPECT_EQ(version, "Version 1.1");
    dialog->Destroy();
}

// The pop-up menu as it would be tracked: its items and where, and optionally an entry chosen.
class CMenuRecordingDialog : public app::CMainDialog {
  public:
    using app::CMainDialog::CMainDialog;
    struct Entry {
        std::string text;
        bool checked;
    };
    int tracked = 0;
    wxPoint where;
    std::vector<std::string> items;  // as labelled, & marks included
    std::vector<Entry> languages;    // as shown
    std::vector<std::string> languageLabels;
    std::string choose;  // a language entry's text

  protected:
    void TrackPopup(wxMenu* popup, const wxPoint& at) override {
        ++tracked;
        where = at;
        items.clear();
        languages.clear();
        languageLabels.clear();
        int chosenId = 0;
        for (wxMenuItem* item : popup->GetMenuItems())
            items.push_back(item->GetItemLabel().utf8_string());
        if (wxMenu* list = popup->FindItemByPosition(0)->GetSubMenu()) {
            for (wxMenuItem* item : list->GetMenuItems()) {
                std::string text = item->GetItemLabelText().utf8_string();
                languages.push_back({text, item->IsChecked()});
                languageLabels.push_back(item->GetItemLabel().utf8_string());
                if (text == choose) chosenId = item->GetId();
            }
        }
        if (chosenId) {  // as the menu sends it
            wxCommandEvent event(wxEVT_MENU, chosenId);
            ProcessWindowEvent(event);
        }
    }
};

class PopupMenuTest : public WindowTest {
  protected:
    CMenuRecordingDialog* Open(const std::string& saved) {
        m_languages.Load(saved);
        return new CMenuRecordingDialog(nullptr, m_setup);
    }
    std::string Label(app::CMainDialog* dialog, int id) {
        return dialog->Control(id)->GetLabel().utf8_string();
    }
    // Shows the window and its real menu; once the menu is open presses toList, once the language
    // list is open toChoose. Should the keys go astray, Escape closes the menu, so that the test
    // fails instead of waiting for ever. True once a choice asked for a restart.
    bool ChooseInRealMenu(app::CMainDialog* dialog, std::vector<int> toList,
                          std::vector<int> toChoose) {
        dialog->Show();
        if (!Settle([&] { return dialog->IsShownOnScreen(); })) return false;
        auto opened = std::make_shared<int>(0);
        dialog->Bind(wxEVT_MENU_OPEN, [opened](wxMenuEvent& event) {
            ++*opened;
            event.Skip();
        });
        wxTheApp->CallAfter([this, opened, toList, toChoose] {
            wxUIActionSimulator keys;
            bool open = Settle([&] { return *opened == 1; });
            for (int key : toList) keys.Char(key);
            open = open && Settle([&] { return *opened == 2; });
            for (int key : toChoose) keys.Char(key);
            if (open && Settle([&] { return !m_box.calls.empty(); })) return;
            for (int i = 0; i < 3; ++i) {
                keys.Char(WXK_ESCAPE);
                wxYield();
            }
        });
        dialog->ShowPopupMenu(20, 20);
        return Settle([&] { return !m_box.calls.empty(); });
    }

    LoadedLanguages m_languages{&m_settings};
};

TEST_F(PopupMenuTest, ARightClickOnTheBackgroundOrALabelOpensTheMenuOneOnAControlDoesNot) {
    REQUIRE_DISPLAY();
    CMenuRecordingDialog* dialog = Open("English");
    dialog->Show();
    wxUIActionSimulator mouse;
    auto rightClick = [&](wxPoint client) {
        mouse.MouseMove(dialog->ClientToScreen(client));
        mouse.MouseClick(wxMOUSE_BTN_RIGHT);
    };
    auto centre = [&](int id) {
        wxWindow* control = dialog->Control(id);
        return control->GetPosition() + control->GetSize() / 2;
    };
    ASSERT_TRUE(Settle([&] { return dialog->IsShownOnScreen(); }));
    // Clicks on controls first: once the background's click has opened the menu, they are done.
    for (int id : {IDC_BUTTON_CONVERT, IDC_LIST_FILES}) rightClick(centre(id));
    // The empty place left of Homepage, below Merge.
    wxPoint background(centre(IDC_BUTTON_CONVERT).x, centre(IDC_BUTTON_HOMEPAGE).y);
    rightClick(background);
    ASSERT_TRUE(Settle([&] { return dialog->tracked > 0; }));
    EXPECT_EQ(dialog->tracked, 1);
    EXPECT_EQ(dialog->where, background);
    EXPECT_EQ(dialog->items, (std::vector<std::string>{"&Language", "&Font", "&Gapless joining",
                                                       "&Mark each part", "&About"}));

    wxWindow* label = dialog->Control(IDC_STATIC_OUTPUT_FILE);
    wxPoint onLabel = label->GetPosition() + wxPoint(5, label->GetSize().y / 2);
    rightClick(onLabel);
    ASSERT_TRUE(Settle([&] { return dialog->tracked > 1; }));
    EXPECT_EQ(dialog->where, onLabel);

    // The edit field opens its own menu; Escape closes it.
    rightClick(centre(IDC_EDIT_OUTPUT_FILE));
    WaitIdle();
    mouse.Char(WXK_ESCAPE);
    WaitIdle();
    EXPECT_EQ(dialog->tracked, 2);
    dialog->Destroy();
}

TEST_F(PopupMenuTest, TheSavedLanguageIsCheckedInAnyLetterCaseAndTheMenuIsLocalised) {
    REQUIRE_DISPLAY();
    CMenuRecordingDialog* dialog = Open("ENGLISH");
    dialog->ShowPopupMenu(12, 34);
    ASSERT_EQ(dialog->tracked, 1);
    EXPECT_EQ(dialog->where, wxPoint(12, 34));
    ASSERT_EQ(dialog->languages.size(), 2u);
    EXPECT_EQ(dialog->languages[0].text, "English");
    EXPECT_TRUE(dialog->languages[0].checked);
    EXPECT_EQ(dialog->languages[1].text, "German");
    EXPECT_FALSE(dialog->languages[1].checked);
    dialog->Destroy();

    dialog = Open("german");
    dialog->ShowPopupMenu(0, 0);
    // A language file without the newer key keeps the built-in text.
    EXPECT_EQ(dialog->items, (std::vector<std::string>{"Sprache", "Schrift", "&Gapless joining",
                                                       "&Mark each part", "Info"}));
    ASSERT_EQ(dialog->languages.size(), 2u);
    EXPECT_FALSE(dialog->languages[0].checked);
    EXPECT_TRUE(dialog->languages[1].checked);
    dialog->Destroy();

    dialog = Open("Klingon");  // no such file: English is checked
    dialog->ShowPopupMenu(0, 0);
    ASSERT_EQ(dialog->languages.size(), 2u);
    EXPECT_TRUE(dialog->languages[0].checked);
    dialog->Destroy();
}

TEST_F(PopupMenuTest, ChoosingALanguageChangesTitleAndButtonsAtOnceAndAsksForARestart) {
    REQUIRE_DISPLAY();
    CMenuRecordingDialog* dialog = Open("English");
    EXPECT_EQ(Label(dialog, IDC_BUTTON_CONVERT), "Merge");
    dialog->choose = "German";
    dialog->ShowPopupMenu(0, 0);
    EXPECT_EQ(dialog->GetTitle().utf8_string(), "Splicora (Deutsch)");
    EXPECT_EQ(Label(dialog, IDC_BUTTON_CONVERT), "Zusammenfügen");
    EXPECT_EQ(Label(dialog, IDC_BUTTON_EXIT), "Beenden");
    EXPECT_EQ(Label(dialog, IDC_BUTTON_HELP), "Help");  // no text in the file
    // The list's headers too, each whole.
    for (auto [index, text] : {std::pair{0, "Name der Videodatei"}, {1, "Dauer in Sekunden"}}) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        ASSERT_TRUE(dialog->m_fileList->GetColumn(index, column));
        EXPECT_EQ(column.GetText().utf8_string(), text);
        EXPECT_LT(dialog->m_fileList->GetTextExtent(column.GetText()).x, column.GetWidth());
    }
    ASSERT_EQ(m_box.calls.size(), 1u);
    EXPECT_EQ(m_box.calls[0].text, "Bitte neu starten");
    EXPECT_EQ(m_box.calls[0].caption, "Warnung");
    EXPECT_TRUE(m_box.calls[0].hasOwner);
    EXPECT_TRUE(m_settings.writes.empty());
    dialog->Destroy();
}

TEST_F(PopupMenuTest, TheRealMenuTakesAChoiceFromTheKeyboard) {
    REQUIRE_DISPLAY();
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    m_languages.Load("English");
    // Language, then the second entry (German).
    EXPECT_TRUE(ChooseInRealMenu(dialog, {WXK_DOWN, WXK_RIGHT}, {WXK_DOWN, WXK_RETURN}));
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "German");
    EXPECT_EQ(Label(dialog, IDC_BUTTON_CONVERT), "Zusammenfügen");
    dialog->Destroy();
}

// The names of the language files shipped with the program.
std::vector<std::string> ShippedLanguages() {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(SPLICORA_SOURCE_DIR) + "/language"))
        names.push_back(entry.path().stem().string());
    return names;
}

// The letter a menu label marks with &, lower case; empty for none.
wxString KeyLetter(const std::string& utf8) {
    const wxString label = wxString::FromUTF8(utf8);
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != '&') continue;
        if (label[i + 1] != '&') return wxString(label[i + 1]).Lower();
        ++i;
    }
    return "";
}

// In every shipped language each entry of the menu and of its language list has a key letter
// of its own there, and the shown menu takes them: L opens the list, G picks German.
TEST_F(PopupMenuTest, EveryMenuEntryHasItsOwnKeyLetterAndTheShownMenuTakesThem) {
    REQUIRE_DISPLAY();
    const std::string base = SPLICORA_SOURCE_DIR;
    const std::vector<std::string> names = ShippedLanguages();
    ASSERT_EQ(names.size(), 7u);
    auto ownLetters = [](const std::vector<std::string>& labels) {
        std::set<wxString> letters;
        for (const std::string& label : labels) {
            const wxString letter = KeyLetter(label);
            EXPECT_FALSE(letter.empty()) << label;
            EXPECT_TRUE(letters.insert(letter).second) << label;
        }
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(g_languageTable.Initialize(base, name));
        auto* dialog = new CMenuRecordingDialog(nullptr, m_setup);
        dialog->ShowPopupMenu(0, 0);
        ASSERT_EQ(dialog->items.size(), 5u);
        ownLetters(dialog->items);
        ASSERT_EQ(dialog->languageLabels.size(), 7u);
        ownLetters(dialog->languageLabels);
        dialog->Destroy();
    }
    // A file name's own & is shown, not taken as a key letter.
    m_languages.folder.Write("language/R&D.ini", "[DIALOG]\nIDC_BUTTON_CONVERT=Merge\n");
    m_languages.Load("English");
    auto* named = new CMenuRecordingDialog(nullptr, m_setup);
    named->ShowPopupMenu(0, 0);
    EXPECT_EQ(named->languageLabels, (std::vector<std::string>{"&English", "&German", "&R&&D"}));
    EXPECT_EQ(named->languages[2].text, "R&D");
    named->Destroy();

    ASSERT_TRUE(g_languageTable.Initialize(base, "English"));
    auto* dialog = new app::CMainDialog(nullptr, m_setup);
    EXPECT_TRUE(ChooseInRealMenu(dialog, {'l'}, {'g'}));
    EXPECT_EQ(g_languageTable.GetCurrentLanguage(), "German");
    dialog->Destroy();
}

TEST_F(PopupMenuTest, AMissingMenuResourceIsReportedAndNothingIsShown) {
    REQUIRE_DISPLAY();
    CMenuRecordingDialog* dialog = Open("English");
    dialog->ShowPopupMenu(0, 0, 999);
    EXPECT_EQ(dialog->tracked, 0);
    ASSERT_EQ(m_box.calls.size(), 1u);
    EXPECT_EQ(m_box.calls[0].text, "Can not find Language Menu!");
    EXPECT_EQ(m_box.calls[0].caption, "error");
    EXPECT_FALSE(m_box.calls[0].hasOwner);
    dialog->Destroy();
}

// Shows nothing: records where each box would have been shown.
class ThreadCheckingBox : public platform::CGuiMessageBox {
  public:
    std::vector<std::thread::id> shownOn;

  protected:
    int ShowHere(void*, const char*, const char*, unsigned) override {
        shownOn.push_back(std::this_thread::get_id());
        return IDYES;
    }
};

// The Windows interface font the settings hold by default is drawn in the desktop's own font;
// the settings are not touched, and a font the user picks is drawn as picked.
TEST_F(PopupMenuTest, TheDefaultInterfaceFontIsTheDesktopsAndAChosenFontIsUsedAsPicked) {
    REQUIRE_DISPLAY();
    auto* dialog = Open("German");
    wxFont desktop = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    wxFont merge = dialog->Control(IDC_BUTTON_CONVERT)->GetFont();  // a localised control
    EXPECT_EQ(merge.GetFractionalPointSize(), desktop.GetFractionalPointSize());
    EXPECT_EQ(merge.GetFaceName(), desktop.GetFaceName());
    LOGFONTA stored{};
    ASSERT_TRUE(g_languageTable.InterfaceFont.GetLogFont(&stored));
    EXPECT_EQ(stored.lfHeight, -11);
    EXPECT_STREQ(stored.lfFaceName, "Microsoft Sans Serif");
    EXPECT_TRUE(m_settings.writes.empty());

    LOGFONTA picked = stored;
    picked.lfHeight = -20;
    std::snprintf(picked.lfFaceName, LF_FACESIZE, "DejaVu Serif");
    m_fonts.answers.push_back({true, picked});
    dialog->OnPopupMenuFont();
    // A character height of 20 pixels: the em is 20 pixels (in points at the screen's density),
    // and a drawn line, with room above and below, is taller than that.
    const double ppi = wxGetDisplayPPI().y > 0 ? wxGetDisplayPPI().y : 96;
    auto lineHeight = [&] {
        wxWindow* merge = dialog->Control(IDC_BUTTON_CONVERT);
        wxClientDC dc(merge);
        dc.SetFont(merge->GetFont());
        return dc.GetTextExtent("Hg").y;
    };
    wxFont chosen = dialog->Control(IDC_BUTTON_CONVERT)->GetFont();
    EXPECT_NEAR(chosen.GetFractionalPointSize(), 20 * 72.0 / ppi, 0.05);
    EXPECT_GT(lineHeight(), 20);
    EXPECT_EQ(chosen.GetFaceName(), "DejaVu Serif");
    EXPECT_EQ(m_settings.GetProfileInt("German", "lfHeight", 0), -20);
    EXPECT_EQ(m_settings.GetProfileString("German", "lfFaceName", ""), "DejaVu Serif");

    // A Windows face stored at another height keeps that height in the desktop's family.
    picked.lfHeight = -16;
    std::snprintf(picked.lfFaceName, LF_FACESIZE, "Tahoma");
    m_fonts.answers.push_back({true, picked});
    dialog->OnPopupMenuFont();
    wxFont tahoma = dialog->Control(IDC_BUTTON_CONVERT)->GetFont();
    EXPECT_NEAR(tahoma.GetFractionalPointSize(), 16 * 72.0 / ppi, 0.05);
    EXPECT_EQ(tahoma.GetFaceName(), desktop.GetFaceName());
    EXPECT_EQ(m_settings.GetProfileString("German", "lfFaceName", ""), "Tahoma");

    // A positive height is the whole cell: a line fits in 20 pixels, and the height is stored as
    // given.
    picked.lfHeight = 20;
    std::snprintf(picked.lfFaceName, LF_FACESIZE, "DejaVu Serif");
    m_fonts.answers.push_back({true, picked});
    dialog->OnPopupMenuFont();
    EXPECT_LE(lineHeight(), 20);
    EXPECT_GT(lineHeight(), 14);
    EXPECT_EQ(m_settings.GetProfileInt("German", "lfHeight", 0), 20);
    dialog->Destroy();
}

// Whether an installed font has a glyph for each of text's characters beyond ASCII, as
// fontconfig tells; without one they would be drawn as boxes and measured as such.
bool FontsHaveGlyphs(const wxString& text) {
    std::set<unsigned> wide;
    for (wxUniChar c : text)
        if (c.GetValue() > 0x7F) wide.insert(c.GetValue());
    if (wide.empty()) return true;
    std::string charset;
    for (unsigned c : wide) charset += (charset.empty() ? "" : " ") + wxString::Format("%x", c);
    return !Capture("fc-list ':charset=" + charset + "' family 2>/dev/null").empty();
}

// Every shipped language at 20 pt: each button's text, measured in the button's own font, fits
// inside it with room to spare (Stop in Merge's place too), as do the label, the list's header and
// the name box's line; the list and the name box take the font; every button and the label have a
// key letter of their own. Texts are measured in real glyphs: a language no installed font
// draws is a missing judge.
TEST_F(PopupMenuTest, EveryButtonTextFitsAt20PointInEveryShippedLanguage) {
    REQUIRE_DISPLAY();
    const std::string base = SPLICORA_SOURCE_DIR;
    const std::vector<std::string> names = ShippedLanguages();
    ASSERT_EQ(names.size(), 7u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(g_languageTable.Initialize(base, name));
        auto* dialog = new app::CMainDialog(nullptr, m_setup);
        wxString texts;
        for (wxWindow* child : dialog->GetChildren()) texts += child->GetLabel();
        const bool drawable = FontsHaveGlyphs(texts);
        if (!drawable) dialog->Destroy();
        REQUIRE_JUDGE(drawable, "a font with glyphs for every " + name + " text");
        // The smallest height the toolkit draws at 20 pt or more.
        LOGFONTA picked{};
        ASSERT_TRUE(g_languageTable.InterfaceFont.GetLogFont(&picked));
        platform::CFont font;
        do {
            --picked.lfHeight;
            font.CreateFontIndirect(&picked);
        } while (platform::ToWxFont(font).GetFractionalPointSize() < 20 && picked.lfHeight > -99);
        m_fonts.answers.push_back({true, picked});
        dialog->OnPopupMenuFont();
        wxWindow* merge = dialog->Control(IDC_BUTTON_CONVERT);
        EXPECT_GE(merge->GetFont().GetFractionalPointSize(), 20.0);
        auto fits = [](wxWindow* control) {
            wxClientDC dc(control);
            dc.SetFont(control->GetFont());
            const wxString text = wxControl::RemoveMnemonics(control->GetLabel());
            const wxSize extent = dc.GetTextExtent(text);
            const int room = dynamic_cast<wxButton*>(control) ? 8 : 0;
            EXPECT_LE(extent.x + room, control->GetSize().x) << text.utf8_string();
            EXPECT_LE(extent.y, control->GetSize().y) << text.utf8_string();
        };
        std::set<wxString> letters;
        for (wxWindow* child : dialog->GetChildren()) {
            if (!dynamic_cast<wxButton*>(child) && child->GetId() != IDC_STATIC_OUTPUT_FILE)
                continue;
            fits(child);
            const wxString label = child->GetLabel();
            const int amp = label.Find('&');
            ASSERT_TRUE(amp != wxNOT_FOUND && size_t(amp) + 1 < label.size()) << label;
            EXPECT_TRUE(letters.insert(wxString(label[amp + 1]).Lower()).second) << label;
        }
        EXPECT_EQ(letters.size(), 12u);
        for (wxWindow* own : {static_cast<wxWindow*>(dialog->m_fileList),
                              static_cast<wxWindow*>(dialog->m_outputEdit)})
            EXPECT_EQ(own->GetFont().GetFractionalPointSize(),
                      merge->GetFont().GetFractionalPointSize());
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        ASSERT_TRUE(dialog->m_fileList->GetColumn(0, column));
        EXPECT_LT(dialog->m_fileList->GetTextExtent(column.GetText()).x, column.GetWidth());
        {  // the name box shows its line whole, with room around it
            wxClientDC dc(dialog->m_outputEdit);
            dc.SetFont(dialog->m_outputEdit->GetFont());
            EXPECT_GE(dialog->m_outputEdit->GetSize().y,
                      dc.GetTextExtent(dialog->m_outputEdit->GetValue()).y + 8);
        }
        const wxString mergeText = merge->GetLabel();
        dialog->JoinStarted();
        EXPECT_NE(merge->GetLabel(), mergeText);
        fits(merge);
        dialog->JoinEnded();
        EXPECT_EQ(merge->GetLabel(), mergeText);
        dialog->Destroy();
    }
}

// Keys from the display: Ctrl+A and Delete on the list (Ctrl+A in the name box stays its own),
// F1, Shift+F10 and the Menu key at the focused control, a key letter from the language file,
// and Tab in reading order.
TEST_F(PopupMenuTest, KeysReachTheListHelpTheMenuAndTheButtonsInReadingOrder) {
    REQUIRE_DISPLAY();
    ASSERT_TRUE(g_languageTable.Initialize(SPLICORA_SOURCE_DIR, "English"));
    m_setup.baseFolder = SPLICORA_SOURCE_DIR;  // F1 opens help/ there
    auto* dialog = new CMenuRecordingDialog(nullptr, m_setup);
    dialog->Show();
    ASSERT_TRUE(Settle([&] { return dialog->IsShownOnScreen(); }));
    for (const char* p : {"/v/a.wmv", "/v/b.wmv", "/v/c.wmv"})
        std::snprintf(dialog->m_inputPaths[dialog->m_inputCount++], 260, "%s", p);
    dialog->RefreshFileList();
    wxListCtrl* list = dialog->m_fileList;
    wxUIActionSimulator keys;
    auto press = [&](wxWindow* target, int key, int modifiers = wxMOD_NONE) {
        target->SetFocus();
        WaitIdle();
        keys.Char(key, modifiers);
        for (int i = 0; i < 10; ++i) {
            wxYield();
            wxMilliSleep(10);
        }
    };
    auto selected = [&] {
        std::vector<int> rows;
        for (int r = 0; r < list->GetItemCount(); ++r)
            if (list->GetItemState(r, wxLIST_STATE_SELECTED)) rows.push_back(r);
        return rows;
    };
    // The direct child of the window that holds the focus.
    auto focused = [&]() -> int {
        for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent())
            if (w->GetParent() == dialog) return w->GetId();
        return 0;
    };

    press(list, 'a', wxMOD_CONTROL);
    EXPECT_EQ(selected(), (std::vector<int>{0, 1, 2}));
    for (int r : {0, 2}) list->SetItemState(r, 0, wxLIST_STATE_SELECTED);
    press(list, WXK_DELETE);
    std::vector<std::string> slots(dialog->m_inputPaths,
                                   dialog->m_inputPaths + dialog->m_inputCount);
    EXPECT_EQ(slots, (std::vector<std::string>{"/v/a.wmv", "/v/c.wmv"}));
    EXPECT_EQ(list->GetItemCount(), 2);
    press(dialog->m_outputEdit, 'a', wxMOD_CONTROL);
    EXPECT_EQ(dialog->m_outputEdit->GetStringSelection(), dialog->m_outputEdit->GetValue());
    EXPECT_TRUE(selected().empty());

    press(dialog->Control(IDC_BUTTON_EXIT), WXK_F1);
    ASSERT_EQ(m_shell.calls.size(), 1u);
    EXPECT_EQ(m_shell.calls[0].front(), "xdg-open");
    press(dialog->Control(IDC_BUTTON_BROWSE), WXK_F10, wxMOD_SHIFT);
    EXPECT_EQ(dialog->tracked, 1);
    EXPECT_TRUE(dialog->Control(IDC_BUTTON_BROWSE)->GetRect().Contains(dialog->where));
    press(list, WXK_MENU);
    EXPECT_EQ(dialog->tracked, 2);
    EXPECT_TRUE(list->GetRect().Contains(dialog->where));
    press(list, 'h', wxMOD_ALT);  // "&Help"
    EXPECT_EQ(m_shell.calls.size(), 2u);
    press(list, 'f', wxMOD_ALT);  // "Output &filename": the name box
    EXPECT_EQ(focused(), IDC_EDIT_OUTPUT_FILE);

    list->SetFocus();
    WaitIdle();
    std::vector<int> visited;
    for (int i = 0; i < 12; ++i) {
        keys.Char(WXK_TAB);
        const int before = visited.empty() ? IDC_LIST_FILES : visited.back();
        Settle([&] { return focused() != before; }, 50);
        visited.push_back(focused());
    }
    EXPECT_EQ(visited,
              (std::vector<int>{IDC_BUTTON_ADD_VIDEO, IDC_BUTTON_ITEM_UP, IDC_BUTTON_ITEM_DOWN,
                                IDC_BUTTON_ITEM_DELETE, IDC_BUTTON_ITEM_CLEAR, IDC_EDIT_OUTPUT_FILE,
                                IDC_BUTTON_BROWSE, IDC_BUTTON_CONVERT, IDC_BUTTON_PREVIEW_VIDEO,
                                IDC_BUTTON_HELP, IDC_BUTTON_HOMEPAGE, IDC_BUTTON_EXIT}));
    dialog->Destroy();
}

TEST(GuiMessageBox, BoxesAskedForByOtherThreadsAreShownOnTheGuiThreadWhileItWaits) {
    REQUIRE_DISPLAY();
    ThreadCheckingBox box;
    std::vector<int> answers;
    box.RunServing([&] {
        answers.push_back(box.Show(nullptr, "from the driver", nullptr, MB_YESNO));
        std::thread runtime(
            [&] { answers.push_back(box.Show(nullptr, "from a callback", nullptr, MB_OK)); });
        runtime.join();
    });
    EXPECT_EQ(answers, (std::vector<int>{IDYES, IDYES}));
    ASSERT_EQ(box.shownOn.size(), 2u);
    for (std::thread::id id : box.shownOn) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(Program, AWholeJoinThroughTheRunningProgramWithFakedFileDialogs) {
    REQUIRE_DISPLAY();
    REQUIRE_JUDGE(!Capture("command -v ffprobe >/dev/null && command -v ffmpeg").empty(),
                  "ffprobe or ffmpeg");
    TempFolder dir;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    auto* theApp = static_cast<app::CMainApp*>(wxTheApp);
    std::string settingsPath =
        platform::SettingsFilePath("Quorvel", platform::ExecutableBaseName());
    platform::CFileSettingsStore(settingsPath)
        .WriteProfileString("Option", "CurrentLanguage", "German");

    platform::RecordingFileDialogs dialogs;
    platform::FileDialogResult chosen;
    chosen.paths = {std::string(SPLICORA_TEST_DATA) + "/av_wmv2_wma2_meta.wmv",
                    std::string(SPLICORA_TEST_DATA) + "/av_part2.wmv"};
    dialogs.openAnswers.push_back({true, chosen});
    std::string output = dir.Path() + "/joined film.wmv";
    dialogs.saveAnswers.push_back({true, {output, {}}});
    platform::Services own = theApp->m_services;
    theApp->m_services.fileDialogs = &dialogs;
    platform::RecordingShell shell;
    theApp->m_services.shell = &shell;
    platform::RecordingMessageBox box;
    theApp->m_services.messageBox = &box;

    std::string title, merge;
    std::vector<std::string> rows;
    wxTheApp->CallAfter([&] {
        auto* dialog = dynamic_cast<app::CMainDialog*>(wxTheApp->GetTopWindow());
        ASSERT_NE(dialog, nullptr);
        title = dialog->GetTitle().utf8_string();
        merge = wxControl::RemoveMnemonics(dialog->Control(IDC_BUTTON_CONVERT)->GetLabel())
                    .utf8_string();
        auto click = [dialog](int id) {
            wxCommandEvent event(wxEVT_BUTTON, id);
            event.SetEventObject(dialog->Control(id));
            dialog->Control(id)->ProcessWindowEvent(event);
        };
        click(IDC_BUTTON_ADD_VIDEO);
        click(IDC_BUTTON_BROWSE);
        for (int r = 0; r < dialog->m_fileList->GetItemCount(); ++r)
            rows.push_back(dialog->m_fileList->GetItemText(r).utf8_string());
        click(IDC_BUTTON_CONVERT);
        click(IDC_BUTTON_PREVIEW_VIDEO);
        click(IDC_BUTTON_EXIT);
    });
    EXPECT_FALSE(theApp->InitInstance());
    theApp->m_services = own;

    EXPECT_EQ(merge, "Zusammenfügen");  // the saved language's texts
    EXPECT_EQ(title, "Splicora");
    EXPECT_EQ(rows, (std::vector<std::string>{"av_wmv2_wma2_meta.wmv", "av_part2.wmv"}));
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_EQ(box.calls[0].text, "Fertig\n\n" + output);  // the closing box names the file
    EXPECT_EQ(shell.calls, (std::vector<std::vector<std::string>>{{"open", output}}));

    // FFmpeg reads the whole output: both streams, the length of both inputs, no decode errors.
    std::string streams =
        Capture("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" + output + "'");
    EXPECT_EQ(streams, "wmv2\nwmav2\n");
    double seconds = std::atof(
        Capture("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + output + "'")
            .c_str());
    // The second input starts at the whole second after the first one's 4 s, and lasts 3 s.
    EXPECT_GE(seconds, 7.0);
    EXPECT_LE(seconds, 8.5);
    EXPECT_EQ(Capture("ffmpeg -v error -i '" + output + "' -f null - 2>&1"), "");
    std::string frames = Capture(
        "ffprobe -v error -select_streams v -count_packets -show_entries "
        "stream=nb_read_packets -of csv=p=0 '" +
        output + "'");
    EXPECT_EQ(std::atoi(frames.c_str()), 15 * 4 + 15 * 3);  // every video frame of both inputs

    platform::CFileSettingsStore next(settingsPath);
    EXPECT_EQ(next.GetProfileString("Option", "CurrentLanguage", ""), "German");
    EXPECT_EQ(next.GetProfileString("Option", "output_cut_file", ""), output);
    EXPECT_EQ(next.GetProfileString("Option", "LastFolder", ""),
              std::string(SPLICORA_TEST_DATA) + "/");
    unsetenv("XDG_CONFIG_HOME");
}

// "splicora a.wmv b.wmv" and the file manager's "Open with": the files enter the list in order,
// each probed against the first as a dropped file is.
TEST(Program, FilesOnTheCommandLineAreAddedInOrderAsADropIs) {
    REQUIRE_DISPLAY();
    TempFolder dir;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    auto* theApp = static_cast<app::CMainApp*>(wxTheApp);
    std::string data = SPLICORA_TEST_DATA;
    std::filesystem::path previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(data);
    theApp->m_commandLineFiles = {data + "/av_wmv2_wma2_meta.wmv", "av_wmv1_incompatible.wmv",
                                  "notes.txt", "./av_part2.wmv"};
    platform::RecordingMessageBox box;
    platform::Services own = theApp->m_services;
    theApp->m_services.messageBox = &box;
    std::vector<std::string> rows;
    std::vector<std::string> slots;
    wxTheApp->CallAfter([&] {
        // After the window's own start-up work.
        wxTheApp->CallAfter([&] {
            auto* dialog = dynamic_cast<app::CMainDialog*>(wxTheApp->GetTopWindow());
            ASSERT_NE(dialog, nullptr);
            for (int r = 0; r < dialog->m_fileList->GetItemCount(); ++r)
                rows.push_back(dialog->m_fileList->GetItemText(r).utf8_string());
            for (int k = 0; k < dialog->m_inputCount; ++k) slots.push_back(dialog->m_inputPaths[k]);
            dialog->Close();
        });
    });
    EXPECT_FALSE(theApp->InitInstance());
    theApp->m_services = own;
    theApp->m_commandLineFiles.clear();
    std::filesystem::current_path(previousFolder);
    unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(rows, (std::vector<std::string>{"av_wmv2_wma2_meta.wmv", "av_part2.wmv"}));
    EXPECT_EQ(slots,
              (std::vector<std::string>{data + "/av_wmv2_wma2_meta.wmv", data + "/av_part2.wmv"}));
    ASSERT_FALSE(box.calls.empty());
    EXPECT_EQ(box.calls.back().text, data +
                                         "/av_wmv1_incompatible.wmv has the different stream "
                                         "profile with the previous wmv files. It can not be "
                                         "merged.");
}

// A settings file the program cannot read (here a FIFO, which must not stall the start) is named
// once in a box and left as it is, even by the language saved at close.
TEST(Program, ASettingsFileThatCannotBeReadIsNamedOnceAndLeftAlone) {
    REQUIRE_DISPLAY();
    TempFolder dir;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    const std::string settingsPath =
        platform::SettingsFilePath("Quorvel", platform::ExecutableBaseName());
    std::filesystem::create_directories(std::filesystem::path(settingsPath).parent_path());
    ASSERT_EQ(mkfifo(settingsPath.c_str(), 0600), 0);
    auto* theApp = static_cast<app::CMainApp*>(wxTheApp);
    platform::RecordingMessageBox box;
    platform::Services own = theApp->m_services;
    theApp->m_services.messageBox = &box;
    wxTheApp->CallAfter([&] {
        wxTheApp->CallAfter([&] {
            if (auto* dialog = dynamic_cast<app::CMainDialog*>(wxTheApp->GetTopWindow()))
                dialog->Close();
        });
    });
    EXPECT_FALSE(theApp->InitInstance());
    theApp->m_services = own;
    unsetenv("XDG_CONFIG_HOME");

    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_NE(box.calls[0].text.find(settingsPath + ": not a regular file"), std::string::npos)
        << box.calls[0].text;
    struct stat st;
    EXPECT_TRUE(lstat(settingsPath.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

// An input of some megabytes: the title shows progress four times a second, and a join of the
// small samples alone ends before the first.
std::string LongInput(const TempFolder& dir) {
    const std::string longPart = dir.Path() + "/long.wmv";
    Capture("ffmpeg -nostdin -v error -stream_loop 60 -i '" + std::string(SPLICORA_TEST_DATA) +
            "/av_part2.wmv' -c copy -f asf '" + longPart + "'");
    return longPart;
}

// The running program, its settings in a fresh folder and its boxes recorded and answered, and a
// long input; put back at the end.
struct LongJoin {
    TempFolder dir;
    std::string longPart;
    std::string output;  // in a folder of its own, empty
    platform::RecordingMessageBox box;
    app::CMainApp* theApp;

    explicit LongJoin(std::vector<int> answers)
        : longPart(LongInput(dir)),
          output(dir.Path() + "/out/joined.wmv"),
          theApp(static_cast<app::CMainApp*>(wxTheApp)) {
        std::filesystem::create_directory(dir.Path() + "/out");
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        box.answers = std::move(answers);
        m_own = theApp->m_services;
        theApp->m_services.messageBox = &box;
    }
    ~LongJoin() {
        theApp->m_services = m_own;
        unsetenv("XDG_CONFIG_HOME");
    }

  private:
    platform::Services m_own;
};

// The first input and then long ones, enough for a join of some seconds, and the output's name.
void FillWithLongInputs(app::CMainDialog* dialog, const LongJoin& join) {
    const std::string& longPart = join.longPart;
    dialog->m_inputCount = 0;
    for (int k = 0; k < 200; ++k)
        std::snprintf(dialog->m_inputPaths[dialog->m_inputCount++], sizeof(engine::PathSlot), "%s",
                      k == 0 ? SPLICORA_TEST_DATA "/av_wmv2_wma2_meta.wmv" : longPart.c_str());
    dialog->RefreshFileList();
    dialog->m_outputEdit->ChangeValue(wxString::FromUTF8(join.output));
}

// A long join through the running program: its progress shows in the title a few times a second.
// Escape, then the close box, offer to stop it; stopped, it writes nothing and says no "Done", and
// the window closed during the join closes once it has stopped.
TEST(Program, AJoinShowsItsProgressAndEscapeOrClosingStopsItLeavingNothing) {
    REQUIRE_DISPLAY();
    REQUIRE_JUDGE(!Capture("command -v ffmpeg").empty(), "ffmpeg");
    LongJoin join({IDYES, IDYES});  // the answers to the questions whether to stop
    ASSERT_TRUE(std::filesystem::exists(join.longPart)) << "ffmpeg could not make a long input";
    const TempFolder& dir = join.dir;
    platform::RecordingMessageBox& box = join.box;
    app::CMainApp* theApp = join.theApp;
    std::vector<std::string> titles;
    std::string titleAfter;
    int stopRequests = 0;
    bool closing = false;
    wxTimer sampler;
    wxTheApp->CallAfter([&] {
        auto* dialog = dynamic_cast<app::CMainDialog*>(wxTheApp->GetTopWindow());
        ASSERT_NE(dialog, nullptr);
        FillWithLongInputs(dialog, join);
        // Once the title shows more than nothing done: Escape from the keyboard, or the close box.
        sampler.Bind(wxEVT_TIMER, [&, dialog](wxTimerEvent&) {
            std::string title = dialog->GetTitle().utf8_string();
            if (titles.empty() || titles.back() != title) titles.push_back(title);
            if (stopRequests > int(closing) || title.find('%') == std::string::npos ||
                title.rfind("0%", 0) == 0)
                return;
            ++stopRequests;
            if (closing) {
                dialog->Close();
                return;
            }
            wxUIActionSimulator keys;
            keys.MouseMove(dialog->GetScreenRect().GetPosition() + wxPoint(20, 20));
            keys.Char(WXK_ESCAPE);
        });
        sampler.Start(10);
        wxCommandEvent click(wxEVT_BUTTON, IDC_BUTTON_CONVERT);
        dialog->Control(IDC_BUTTON_CONVERT)->ProcessWindowEvent(click);
        titleAfter = dialog->GetTitle().utf8_string();
        titles.push_back(titleAfter);
        closing = true;
        dialog->Control(IDC_BUTTON_CONVERT)->ProcessWindowEvent(click);
        sampler.Stop();
        // A join that ended before its progress was seen: the checks below say so, no hang.
        if (stopRequests < 2) dialog->Close();
    });
    EXPECT_FALSE(theApp->InitInstance());  // ends with the window closed during the second join

    EXPECT_EQ(stopRequests, 2) << "no progress was shown";
    int last = -1;
    for (const std::string& title : titles) {
        int percent = -1;
        if (std::sscanf(title.c_str(), "%d%% - ", &percent) != 1) {
            last = -1;  // between the joins
            continue;
        }
        EXPECT_GE(percent, last) << title;
        EXPECT_LE(percent, 100) << title;
        EXPECT_EQ(title.substr(title.find(" - ") + 3), "Splicora");
        last = percent;
    }
    EXPECT_EQ(titleAfter, "Splicora");
    const std::string question = "Do you want to stop joining the files? Nothing will be written.";
    ASSERT_EQ(box.calls.size(), 2u);  // the two questions, and no "Done"
    EXPECT_EQ(box.calls[0].text, question);
    EXPECT_EQ(box.calls[1].text, question);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() + "/out"));
}

// The bar, the time left and Stop during a join through the running program: Stop takes Merge's
// place with every other control disabled; a click on it asks first (no: the join goes on; yes:
// it stops and writes nothing); afterwards Merge and the controls are back and the bar is gone.
TEST(Program, AJoinShowsABarWithTheTimeLeftAndItsStopButtonStopsIt) {
    REQUIRE_DISPLAY();
    REQUIRE_JUDGE(!Capture("command -v ffmpeg").empty(), "ffmpeg");
    LongJoin join({IDNO, IDYES});
    ASSERT_TRUE(std::filesystem::exists(join.longPart)) << "ffmpeg could not make a long input";
    const TempFolder& dir = join.dir;
    platform::RecordingMessageBox& box = join.box;
    app::CMainApp* theApp = join.theApp;

    struct Seen {
        int bar = -1;
        std::string text, button;
        bool othersDisabled = false;
    };
    std::vector<Seen> seen;
    int clicks = 0, barAtNo = -1;
    bool stillRunningAfterNo = false;
    Seen after;
    bool barShownAfter = true;
    wxTimer sampler;
    wxTheApp->CallAfter([&] {
        auto* dialog = dynamic_cast<app::CMainDialog*>(wxTheApp->GetTopWindow());
        ASSERT_NE(dialog, nullptr);
        FillWithLongInputs(dialog, join);
        wxWindow* stop = dialog->Control(IDC_BUTTON_CONVERT);
        auto look = [&, dialog, stop] {
            Seen now;
            now.bar = dialog->m_progressBar->IsShown() ? dialog->m_progressBar->GetValue() : -1;
            now.text = dialog->m_progressText->GetLabel().utf8_string();
            now.button = wxControl::RemoveMnemonics(stop->GetLabel()).utf8_string();
            now.othersDisabled = true;
            for (wxWindow* child : dialog->GetChildren())
                if (child != stop && child->IsThisEnabled() && child->CanAcceptFocus())
                    now.othersDisabled = false;
            return now;
        };
        // A real click on Stop once the time left shows, and again once the bar moved on after
        // the first answer.
        sampler.Bind(wxEVT_TIMER, [&, dialog, stop](wxTimerEvent&) {
            if (!dialog->JoinRunning()) return;
            Seen now = look();
            if (seen.empty() || seen.back().bar != now.bar || seen.back().text != now.text)
                seen.push_back(now);
            if (clicks == 0) {
                if (now.text.find("Time left:") == std::string::npos) return;
            } else if (clicks == 1 && box.calls.size() == 1) {
                if (barAtNo < 0) barAtNo = now.bar;
                if (now.bar <= barAtNo) return;
                stillRunningAfterNo = true;
            } else {
                return;
            }
            ++clicks;
            wxUIActionSimulator mouse;
            mouse.MouseMove(stop->GetScreenRect().GetPosition() + stop->GetSize() / 2);
            mouse.MouseClick();
        });
        sampler.Start(10);
        wxCommandEvent click(wxEVT_BUTTON, IDC_BUTTON_CONVERT);
        stop->ProcessWindowEvent(click);
        sampler.Stop();
        after = look();
        barShownAfter = dialog->m_progressBar->IsShown();
        dialog->Close();
    });
    EXPECT_FALSE(theApp->InitInstance());

    ASSERT_EQ(clicks, 2) << "no time left was shown, or the join went on without asking";
    EXPECT_TRUE(stillRunningAfterNo);
    int last = 0;
    bool timeLeft = false;
    for (const Seen& s : seen) {
        EXPECT_GE(s.bar, last) << s.text;
        last = s.bar;
        EXPECT_EQ(s.button, "Stop");
        EXPECT_TRUE(s.othersDisabled) << s.text;
        int percent = -1, minutes = -1, seconds = -1;
        if (std::sscanf(s.text.c_str(), "%d%%   Time left: %d:%d", &percent, &minutes, &seconds) ==
            3) {
            timeLeft = true;
            EXPECT_NEAR(percent * 10, s.bar, 10) << s.text;
            EXPECT_LT(seconds, 60) << s.text;
        }
    }
    EXPECT_TRUE(timeLeft);
    EXPECT_EQ(after.button, "Merge");
    EXPECT_FALSE(after.othersDisabled);
    EXPECT_FALSE(barShownAfter);
    const std::string question = "Do you want to stop joining the files? Nothing will be written.";
    ASSERT_EQ(box.calls.size(), 2u);  // the two questions, and no "Done"
    EXPECT_EQ(box.calls[0].text, question);
    EXPECT_EQ(box.calls[1].text, question);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() + "/out"));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        wxApp::SetInstance(new app::CMainApp);
        wxSetAssertHandler(FailOnAssert);
        g_haveDisplay = wxEntryStart(argc, argv);
    }
    int result = RUN_ALL_TESTS();
    if (g_haveDisplay) wxEntryCleanup();
    return result;
}
