#pragma once
// A language table over a fresh base folder, with message boxes recorded instead of shown.

#include <gtest/gtest.h>

#include <string>

#include "i18n/language_table.h"
#include "platform/message_box.h"
#include "platform/temp_folder.h"

class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override { m_previousBox = platform::SetMessageBox(&m_box); }
    void TearDown() override { platform::SetMessageBox(m_previousBox); }

    void WriteLanguage(const std::string& name, const std::string& content) {
        m_dir.Write("language/" + name + ".ini", content);
    }
    bool Initialize(const std::string& language) {
        return m_table.Initialize(m_dir.Path(), language);
    }

    TempFolder m_dir;
    platform::RecordingMessageBox m_box;
    platform::IMessageBox* m_previousBox = nullptr;
    CLanguageTable m_table;
};
