#include "platform/services.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "fakes/recording_message_box.h"
#include "fakes/recording_settings_store.h"
#include "fakes/recording_shell.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/shell.h"
#include "temp_folder.h"

namespace {

// Nothing installed: messages on standard error with the default button's answer, settings kept
// in memory, and nothing reaches the desktop.
TEST(Services, WithNothingInstalledMessagesGoToStandardErrorAndSettingsToMemory) {
    const platform::Services& fallbacks = platform::InstalledServices();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Overwrite?", "splicora", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "Done", nullptr, MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "splicora: Overwrite?\nDone\n");

    ASSERT_NE(dynamic_cast<platform::CMemorySettingsStore*>(fallbacks.settings), nullptr);
    EXPECT_EQ(dynamic_cast<platform::RecordingSettingsStore*>(fallbacks.settings), nullptr);
    EXPECT_TRUE(fallbacks.settings->WriteProfileString("Option", "LastFolder", "/v/"));
    EXPECT_EQ(fallbacks.settings->GetProfileString("OPTION", "lastfolder", "?"), "/v/");

    platform::FileDialogResult chosen;
    EXPECT_FALSE(fallbacks.fileDialogs->GetOpenFileName({}, chosen));
    LOGFONTA font{};
    EXPECT_FALSE(fallbacks.fontChooser->ChooseFont({}, font));
    EXPECT_LE(fallbacks.shell->ShellExecuteOpen("https://example.org/"), 32);
    platform::OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    EXPECT_FALSE(fallbacks.system->GetVersionEx(&version));
}

// A scope replaces what it names and keeps the rest; its end puts back exactly what was there.
TEST(Services, AScopedReplacementKeepsWhatItDoesNotNameAndRestoresThePrevious) {
    const platform::Services before = platform::InstalledServices();
    platform::RecordingMessageBox outerBox, innerBox;
    platform::RecordingSettingsStore store;
    platform::RecordingShell shell;
    {
        platform::Services outer;
        outer.messageBox = &outerBox;
        outer.settings = &store;
        platform::ScopedServices installOuter(outer);
        EXPECT_EQ(platform::InstalledServices().system, before.system);
        {
            platform::Services inner;
            inner.messageBox = &innerBox;
            inner.shell = &shell;
            platform::ScopedServices installInner(inner);
            const platform::Services& now = platform::InstalledServices();
            EXPECT_EQ(now.messageBox, &innerBox);
            EXPECT_EQ(now.settings, &store);
            EXPECT_EQ(now.shell, &shell);
            // The engine reports from the runtime's threads.
            std::thread([] { MessageBoxA(nullptr, "from a worker", nullptr, MB_OK); }).join();
        }
        EXPECT_EQ(platform::InstalledServices().shell, before.shell);
        MessageBoxA(nullptr, "outer again", nullptr, MB_OK);
    }
    ASSERT_EQ(innerBox.calls.size(), 1u);
    EXPECT_EQ(innerBox.calls[0].text, "from a worker");
    ASSERT_EQ(outerBox.calls.size(), 1u);
    EXPECT_EQ(outerBox.calls[0].text, "outer again");
    const platform::Services& after = platform::InstalledServices();
    EXPECT_EQ(after.messageBox, before.messageBox);
    EXPECT_EQ(after.settings, before.settings);
    EXPECT_EQ(after.shell, before.shell);
}

// The fallback store answers as the settings file would for the same writes.
TEST(Services, TheMemoryStoreReadsBackAsTheSettingsFileDoes) {
    TempFolder dir;
    platform::CFileSettingsStore file(dir.Path() + "/splicora.ini");
    platform::CMemorySettingsStore memory;
    for (platform::ISettingsStore* store : {static_cast<platform::ISettingsStore*>(&file),
                                            static_cast<platform::ISettingsStore*>(&memory)}) {
        store->WriteProfileString("Option", "output_cut_file", "/v/a \"b\".wmv");
        store->WriteProfileInt("german", "lfHeight", -17);
        store->WriteProfileString("German", "lfWeight", "700");
        store->WriteProfileString("", "key", "lost");
        store->WriteProfileInt("Option", "", 1);
    }
    for (const char* section : {"Option", "OPTION", "German", ""}) {
        for (const char* key : {"output_cut_file", "lfHeight", "LFWEIGHT", "key", ""}) {
            EXPECT_EQ(memory.GetProfileString(section, key, "?"),
                      file.GetProfileString(section, key, "?"))
                << section << "/" << key;
            EXPECT_EQ(memory.GetProfileInt(section, key, 5), file.GetProfileInt(section, key, 5))
                << section << "/" << key;
        }
    }
}

// An opener that is missing or gives up at once (xdg-open without a program for the file) is
// "not started", so the window can say so; one still running after a moment is started.
TEST(Shell, AnOpenerThatIsMissingOrFailsAtOnceIsNotStarted) {
    TempFolder dir;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.Path().c_str(), 1);
    platform::CLinuxShell shell;
    auto opener = [&](const std::string& body) {
        std::string path = dir.Write("xdg-open", "#!/bin/sh\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return shell.ShellExecuteOpen("/some/file.wmv");
    };
    EXPECT_LE(shell.ShellExecuteOpen("/some/file.wmv"), 32);  // none on the path
    EXPECT_LE(opener("exit 3"), 32);
    EXPECT_GT(opener("exit 0"), 32);
    auto start = std::chrono::steady_clock::now();
    EXPECT_GT(opener("exec /bin/sleep 5"), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    opener("exit 4");
    EXPECT_LE(shell.WinExec({"xdg-open", "/some/file.wmv"}), 31);
    setenv("PATH", savedPath.c_str(), 1);
}

}  // namespace
