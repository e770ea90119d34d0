// ApplyToDialog and ApplyToMenu on real wxWidgets windows; skipped without a display (failed
// under CI).

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fakes/recording_settings_store.h"
#include "i18n/menu_loader.h"
#include "judge_required.h"
#include "language_fixture.h"
#include "platform/gui/wx_font_chooser.h"
#include "platform/menu_ids.h"
#include "platform/services.h"
#include "platform/wx_font.h"
#include "resources/dialog_templates.h"
#include "window_wait.h"

namespace {

bool g_haveDisplay = false;

}  // namespace

// GTK and the libraries under it keep caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
           "leak:libdbus-1.so\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libpango\n";
}

namespace {

// A failed wxWidgets check fails the test instead of waiting on a dialog.
void FailOnAssert(const wxString& file, int line, const wxString& function, const wxString& cond,
                  const wxString& message) {
    ADD_FAILURE() << "wxWidgets check failed: " << file.utf8_string() << ":" << line << " "
                  << function.utf8_string() << ": " << cond.utf8_string() << " "
                  << message.utf8_string();
}

#define REQUIRE_DISPLAY() REQUIRE_JUDGE(g_haveDisplay, "display")

const std::string kGerman =
    "[MENU]\nIDM_ABOUT=Info\nIDM_SELECT_LANGUAGE=Sprache\nIDM_POPUPMENU_FONT=Schrift\n"
    "[DIALOG]\nIDD_PROGRAM_CAPTION=Splicora DE\nIDC_BUTTON_EXIT=Beenden\n"
    "IDC_BUTTON_CONVERT=Verbinden\nIDC_STATIC_OUTPUT_FILE=Ausgabe\nIDC_BUTTON_ITEM_UP=Hoch\n"
    "IDC_BUTTON_ITEM_DOWN=A\\nB\\n\nIDC_BUTTON_PREVIEW_VIDEO=Vorschau\n"
    "[STRING]\nIDS_MESSAGE_WARNING=Warnung\n";

// A window built from a dialog template, as the application builds it.
wxDialog* BuildDialog(int templateId) {
    const auto* t = resources::FindDialogTemplate(templateId);
    auto* dialog = new wxDialog(nullptr, wxID_ANY, wxString::FromUTF8(t->caption));
    for (const auto& c : t->controls) {
        wxPoint pos = dialog->ConvertDialogToPixels(wxPoint(c.x, c.y));
        wxSize size = dialog->ConvertDialogToPixels(wxSize(c.width, c.height));
        int id = c.id < 0 ? wxID_ANY : c.id;
        wxString text = wxString::FromUTF8(c.text);
        switch (c.kind) {
            case resources::ControlKind::PushButton:
            case resources::ControlKind::DefPushButton:
                new wxButton(dialog, id, text, pos, size);
                break;
            case resources::ControlKind::StaticText:
            case resources::ControlKind::Icon:
                new wxStaticText(dialog, id, text, pos, size);
                break;
            case resources::ControlKind::Edit:
                new wxTextCtrl(dialog, id, "c:\\splicora.wmv", pos, size);
                break;
            case resources::ControlKind::ListView:
                new wxListCtrl(dialog, id, pos, size, wxLC_REPORT);
                break;
        }
    }
    return dialog;
}

std::string Label(wxWindow* dialog, int id) {
    return dialog->FindWindow(id)->GetLabel().utf8_string();
}

class ApplyTexts : public LanguageTest {
  protected:
    void SetUp() override {
        LanguageTest::SetUp();
        if (!g_haveDisplay) return;
        m_dialog = BuildDialog(102);
    }
    void TearDown() override {
        if (m_dialog) m_dialog->Destroy();
        LanguageTest::TearDown();
    }
    wxDialog* m_dialog = nullptr;
};

TEST_F(ApplyTexts, TitleControlsAndFontOfTheMainWindow) {
    REQUIRE_DISPLAY();
    // A font of the user's, which the desktop's default font could not be taken for.
    platform::RecordingSettingsStore store;
    {
        platform::Services fakes;
        fakes.settings = &store;
        platform::ScopedServices installed(fakes);
        store.WriteProfileString("German", "lfFaceName", "DejaVu Sans Mono");
        store.WriteProfileInt("German", "lfHeight", -17);
        WriteLanguage("German", kGerman);
        ASSERT_TRUE(Initialize("German"));
    }
    ASSERT_TRUE(m_table.ApplyToDialog(m_dialog, 102));
    EXPECT_EQ(m_dialog->GetTitle().utf8_string(), "Splicora DE");
    EXPECT_EQ(Label(m_dialog, 1018), "Beenden");
    EXPECT_EQ(Label(m_dialog, 1008), "Verbinden");
    EXPECT_EQ(Label(m_dialog, 1025), "Ausgabe");
    EXPECT_EQ(Label(m_dialog, 1019), "Help");  // no text in the file: the built-in one
    auto* edit = static_cast<wxTextCtrl*>(m_dialog->FindWindow(1006));
    EXPECT_EQ(edit->GetValue().utf8_string(), "c:\\splicora.wmv");

    wxFont expected = platform::ToWxFont(m_table.InterfaceFont);
    ASSERT_TRUE(expected.IsOk());
    EXPECT_EQ(m_dialog->FindWindow(1018)->GetFont().GetPixelSize().y, expected.GetPixelSize().y);
    EXPECT_EQ(m_dialog->FindWindow(1018)->GetFont().GetFaceName(), expected.GetFaceName());
    // Help, given no text by the file, shows the built-in one in the same font.
    EXPECT_EQ(m_dialog->FindWindow(1019)->GetFont().GetFaceName(), expected.GetFaceName());
}

TEST_F(ApplyTexts, SwitchToAFileLackingAKeyShowsTheBuiltInText) {
    REQUIRE_DISPLAY();
    WriteLanguage("German", kGerman);
    WriteLanguage("French", "[DIALOG]\nIDC_BUTTON_CONVERT=Fusionner\n");
    ASSERT_TRUE(Initialize("German"));
    m_table.ApplyToDialog(m_dialog, 102);
    std::string name = "French";
    m_table.SelectLanguage(name);
    ASSERT_TRUE(m_table.ApplyToDialog(m_dialog, 102));
    EXPECT_EQ(Label(m_dialog, 1008), "Fusionner");
    EXPECT_EQ(Label(m_dialog, 1018), "Exit");
    EXPECT_EQ(m_dialog->GetTitle().utf8_string(), "Splicora");
}

TEST_F(ApplyTexts, NothingHappensWithoutLanguageFiles) {
    REQUIRE_DISPLAY();
    EXPECT_FALSE(Initialize("German"));
    EXPECT_FALSE(m_table.ApplyToDialog(m_dialog, 102));
    EXPECT_EQ(Label(m_dialog, 1008), "Merge");
    EXPECT_EQ(m_dialog->GetTitle().utf8_string(), "Splicora");
    EXPECT_EQ(i18n::LoadMenuResource(265), nullptr);
    wxMenu* menu = i18n::LoadMenuResource(264);
    EXPECT_FALSE(m_table.ApplyToMenu(menu, 264, true));
    delete menu;
}

TEST_F(ApplyTexts, SkipsEditListSpinAndUnnumberedControlsAndFillsCombos) {
    REQUIRE_DISPLAY();
    WriteLanguage("German", kGerman);
    ASSERT_TRUE(Initialize("German"));
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "Test");
    auto* edit = new wxTextCtrl(dialog, 1008, "typed");
    auto* list = new wxListCtrl(dialog, 1009, wxDefaultPosition, wxDefaultSize, wxLC_REPORT);
    auto* spin = new wxSpinCtrl(dialog, 1018);
    auto* label = new wxStaticText(dialog, wxID_ANY, "label");
    auto* ok = new wxButton(dialog, 1, "OK");
    auto* combo = new wxComboBox(dialog, 1003, "", wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                 wxCB_READONLY);
    combo->Append("old");
    auto* button = new wxButton(dialog, 1002, "Up");
    EXPECT_TRUE(m_table.ApplyToDialog(dialog, 999));  // no title text: the title stays
    EXPECT_EQ(dialog->GetTitle(), "Test");
    EXPECT_EQ(edit->GetValue(), "typed");
    EXPECT_EQ(list->GetLabel(), wxString());
    EXPECT_EQ(spin->GetValue(), 0);
    EXPECT_EQ(label->GetLabel(), "label");
    EXPECT_EQ(ok->GetLabel(), "OK");  // GetString(1) finds nothing
    EXPECT_EQ(button->GetLabel(), "Hoch");
    ASSERT_EQ(combo->GetCount(), 3u);  // "A\nB\n": A, B and an empty last item
    EXPECT_EQ(combo->GetString(0), "A");
    EXPECT_EQ(combo->GetString(1), "B");
    EXPECT_EQ(combo->GetString(2), "");
    dialog->Destroy();
}

TEST_F(ApplyTexts, MenuTakesFieldsAndSubmenuKeysInDepthFirstOrder) {
    REQUIRE_DISPLAY();
    WriteLanguage("German", kGerman);
    ASSERT_TRUE(Initialize("German"));
    wxMenu* menu = i18n::LoadMenuResource(264);
    wxMenu* popup = menu->FindItemByPosition(0)->GetSubMenu();
    wxMenu* languages = popup->FindItemByPosition(0)->GetSubMenu();
    languages->Destroy(languages->FindItemByPosition(0));  // the placeholder, as the menu does
    languages->Append(platform::ToWxMenuId(45400), "German");
    wxMenu* nested = new wxMenu;
    nested->Append(platform::ToWxMenuId(32783), "About");
    languages->AppendSubMenu(nested, "Nested");

    ASSERT_TRUE(m_table.ApplyToMenu(menu, 264, true));
    EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabel(), "PopupMenu");
    EXPECT_EQ(popup->FindItemByPosition(0)->GetItemLabel(), "Sprache");
    EXPECT_EQ(popup->FindItemByPosition(1)->GetItemLabel(), "Schrift");
    EXPECT_EQ(popup->FindItemByPosition(2)->GetItemLabel(), "&Gapless joining");
    EXPECT_EQ(popup->FindItemByPosition(3)->GetItemLabel(), "&Mark each part");
    EXPECT_EQ(popup->FindItemByPosition(4)->GetItemLabel(), "Info");
    EXPECT_EQ(languages->FindItemByPosition(0)->GetItemLabel(), "German");
    EXPECT_EQ(languages->FindItemByPosition(1)->GetItemLabel(), "Nested");
    EXPECT_EQ(nested->FindItemByPosition(0)->GetItemLabel(), "Info");

    // The top level takes comma fields of the menu's own id; deeper submenus the next keys.
    m_table.m_menuTexts.push_back({264, "Oben,Zweites"});
    m_table.m_menuTexts.push_back({(264 << 16) + 1, "Verschachtelt"});
    ASSERT_TRUE(m_table.ApplyToMenu(menu, 264, true));
    EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabel(), "Oben");
    EXPECT_EQ(languages->FindItemByPosition(1)->GetItemLabel(), "Verschachtelt");
    delete menu;
}

TEST(FontDescription, SurvivesAChooserThatReturnsItUnchanged) {
    REQUIRE_DISPLAY();
    for (int32_t height : {-11, -15, -16, -24}) {
        LOGFONTA lf = NonDefaultFont();
        lf.lfHeight = height;
        platform::CFont font;
        font.CreateFontIndirect(&lf);
        LOGFONTA back = lf;
        back.lfHeight = 0;
        back.lfWeight = 0;
        back.lfItalic = back.lfUnderline = back.lfStrikeOut = 0;
        back.lfFaceName[0] = '\0';
        platform::ToLogFont(platform::ToPointSizedWxFont(font), back);
        EXPECT_EQ(std::memcmp(&back, &lf, sizeof lf), 0)
            << height << " came back as " << back.lfHeight;
    }
}

// The modal dialog being shown, if any.
class ModalWatch : public wxModalDialogHook {
  public:
    ModalWatch() { Register(); }
    ~ModalWatch() { Unregister(); }
    wxDialog* shown = nullptr;

  protected:
    int Enter(wxDialog* dialog) override {
        shown = dialog;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override { shown = nullptr; }
};

// The system's chooser under a display: Return keeps the initial font, Escape cancels.
TEST(FontDescription, TheChooserGivesBackTheInitialFontOnReturnAndNothingOnEscape) {
    REQUIRE_DISPLAY();
    auto* owner = new wxDialog(nullptr, wxID_ANY, "owner", wxPoint(300, 300), wxSize(200, 200));
    owner->Show();
    platform::FontChooserRequest request;
    request.owner = owner;
    request.logFont.lfHeight = -15;
    request.logFont.lfWeight = 700;
    request.logFont.lfCharSet = 204;
    std::snprintf(request.logFont.lfFaceName, LF_FACESIZE, "DejaVu Sans");
    request.flags =
        platform::CF_SCREENFONTS | platform::CF_EFFECTS | platform::CF_INITTOLOGFONTSTRUCT;
    platform::CWxFontChooser chooser;
    ModalWatch modal;
    for (int key : {WXK_RETURN, WXK_ESCAPE}) {
        // The chooser opens over its owner; keys go to the window under the pointer once the
        // chooser is on screen.
        wxTheApp->CallAfter([key, owner, &modal] {
            EXPECT_TRUE(Settle([&] { return modal.shown && modal.shown->IsShownOnScreen(); }));
            wxUIActionSimulator input;
            input.MouseMove(owner->GetScreenRect().GetPosition() + wxPoint(100, 100));
            WaitIdle();
            input.Char(key);
        });
        LOGFONTA chosen{};
        bool ok = chooser.ChooseFont(request, chosen);
        EXPECT_EQ(ok, key == WXK_RETURN);
        if (!ok) continue;
        EXPECT_EQ(chosen.lfHeight, -15);
        EXPECT_EQ(chosen.lfWeight, 700);
        EXPECT_EQ(chosen.lfCharSet, 204);
        EXPECT_STREQ(chosen.lfFaceName, "DejaVu Sans");
    }
    owner->Destroy();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        wxApp::SetInstance(new wxApp());
        wxSetAssertHandler(FailOnAssert);
        g_haveDisplay = wxEntryStart(argc, argv);
    }
    int result = RUN_ALL_TESTS();
    if (g_haveDisplay) wxEntryCleanup();
    return result;
}
