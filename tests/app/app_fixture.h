#pragma once
// The main window's commands over a recording view and fake services. Message boxes and the wait
// cursor write to one journal, so that their order can be checked.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dialog_logic.h"
#include "fakes/recording_file_dialogs.h"
#include "fakes/recording_font_chooser.h"
#include "fakes/recording_settings_store.h"
#include "fakes/recording_shell.h"
#include "fakes/recording_system_info.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/temp_folder.h"

// The list view as the commands see it: rows keep their selection while rows move around them.
class FakeView : public app::IDialogView {
  public:
    struct Row {
        std::string text;
        bool selected = false;
    };
    void* OwnerWindow() override { return this; }
    void DeleteAllRows() override { rows.clear(); }
    void InsertRow(int index, const std::string& text) override {
        rows.insert(rows.begin() + index, Row{text, false});
    }
    void DeleteRow(int index) override { rows.erase(rows.begin() + index); }
    int GetNextSelectedRow(int after) override {
        for (int i = after + 1; i < int(rows.size()); ++i)
            if (rows[i].selected) return i;
        return -1;
    }
    void FocusList() override { ++listFocused; }
    std::string GetOutputText() override { return output; }
    void SetOutputText(const std::string& text) override { output = text; }
    void LocaliseWindow() override { ++localised; }
    void FocusOutputAndSelect(int start, int end) override {
        selectionStart = start;
        selectionEnd = end;
    }

    void Select(std::initializer_list<int> indexes) {
        for (int i : indexes) rows[i].selected = true;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const Row& r : rows) t.push_back(r.text);
        return t;
    }
    std::vector<int> Selected() const {
        std::vector<int> s;
        for (int i = 0; i < int(rows.size()); ++i)
            if (rows[i].selected) s.push_back(i);
        return s;
    }

    std::vector<Row> rows;
    std::string output;
    int listFocused = 0;
    int localised = 0;
    int selectionStart = -2;
    int selectionEnd = -2;
};

// Journal entries: "box <caption>|<text>|<flags in hex>|owner or none", "wait+", "wait-".
class Journal : public platform::IMessageBox, public platform::IWaitCursor {
  public:
    int Show(void* owner, const char* text, const char* caption, unsigned flags) override {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", flags);
        entries.push_back(std::string("box ") + (caption ? caption : "(null)") + "|" +
                          (text ? text : "") + "|" + hex + "|" + (owner ? "owner" : "none"));
        size_t i = boxes++;
        if (whileShown) whileShown();
        return i < answers.size() ? answers[i] : IDOK;
    }
    void BeginWaitCursor() override { entries.push_back("wait+"), ++depth; }
    void EndWaitCursor() override { entries.push_back("wait-"), --depth; }

    std::vector<std::string> entries;
    std::vector<int> answers;
    std::function<void()> whileShown;  // runs while a box is up, before its answer
    size_t boxes = 0;
    int depth = 0;
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::Services fakes;
        fakes.messageBox = &m_journal;
        fakes.settings = &m_settings;
        fakes.fileDialogs = &m_dialogs;
        fakes.fontChooser = &m_fonts;
        fakes.waitCursor = &m_journal;
        fakes.shell = &m_shell;
        fakes.system = &m_system;
        m_installed.emplace(fakes);
        DialogServicesReset();
    }
    void TearDown() override { m_installed.reset(); }

    void DialogServicesReset() {
        m_dialog = std::make_unique<app::CMainDialogLogic>(m_view, WindowSetup());
    }
    app::DialogSetup WindowSetup() {
        app::DialogSetup s;
        s.appTitle = "splicora";
        s.baseFolder = "/opt/splicora";
        return s;
    }

    // Puts paths into the list as if they had been added.
    void SetList(const std::vector<std::string>& paths) {
        m_dialog->m_inputCount = 0;
        for (const std::string& p : paths) {
            std::snprintf(m_dialog->m_inputPaths[m_dialog->m_inputCount++],
                          sizeof(engine::PathSlot), "%s", p.c_str());
        }
        m_dialog->RefreshFileList();
    }
    std::vector<std::string> Slots() const {
        std::vector<std::string> s;
        for (int i = 0; i < m_dialog->m_inputCount; ++i) s.push_back(m_dialog->m_inputPaths[i]);
        return s;
    }
    static std::string Sample(const std::string& name) {
        return std::string(SPLICORA_TEST_DATA) + "/" + name;
    }

    FakeView m_view;
    Journal m_journal;
    platform::RecordingSettingsStore m_settings;
    platform::RecordingFileDialogs m_dialogs;
    platform::RecordingFontChooser m_fonts;
    platform::RecordingShell m_shell;
    platform::RecordingSystemInfo m_system;
    std::unique_ptr<app::CMainDialogLogic> m_dialog;
    std::optional<platform::ScopedServices> m_installed;
    TempFolder m_dir;
};
