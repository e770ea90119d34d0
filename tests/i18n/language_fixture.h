#pragma once
// A language table over a fresh base folder, with message boxes recorded instead of shown.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "fakes/recording_message_box.h"
#include "i18n/language_table.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/temp_folder.h"

class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::Services fakes;
        fakes.messageBox = &m_box;
        m_installed.emplace(fakes);
    }
    void TearDown() override { m_installed.reset(); }

    void WriteLanguage(const std::string& name, const std::string& content) {
        m_dir.Write("language/" + name + ".ini", content);
    }
    bool Initialize(const std::string& language) {
        return m_table.Initialize(m_dir.Path(), language);
    }

    TempFolder m_dir;
    platform::RecordingMessageBox m_box;
    std::optional<platform::ScopedServices> m_installed;
    CLanguageTable m_table;
};

// A font description with no field at its default; its quality is never stored.
inline LOGFONTA NonDefaultFont() {
    LOGFONTA lf{};
    lf.lfHeight = -15;
    lf.lfWidth = 7;
    lf.lfEscapement = 900;
    lf.lfOrientation = 450;
    lf.lfWeight = 700;
    lf.lfItalic = 1;
    lf.lfUnderline = 1;
    lf.lfStrikeOut = 1;
    lf.lfCharSet = 204;
    lf.lfOutPrecision = 3;
    lf.lfClipPrecision = 2;
    lf.lfQuality = 4;  // antialiased
    lf.lfPitchAndFamily = 49;
    std::strcpy(lf.lfFaceName, "DejaVu Sans Mono");
    return lf;
}
