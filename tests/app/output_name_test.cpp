// The start-up output name, Browse, and the window's Preview, Help and Homepage commands.

#include <filesystem>
#include <fstream>

#include "app_fixture.h"

namespace {

class OutputNameTest : public AppTest {};

TEST_F(OutputNameTest, StartUpNameComesFromTheVideoFolderUnlessOneIsStored) {
    m_system.videosFolder = "/home/ana/Videos";
    m_dialog->InitDialogState();
    EXPECT_EQ(m_dialog->m_outputName, "/home/ana/Videos/splicora.wmv");
    EXPECT_EQ(m_view.output, m_dialog->m_outputName);
    EXPECT_EQ(m_dialog->m_inputCount, 0);
    EXPECT_TRUE(m_settings.writes.empty());  // start-up writes nothing

    m_settings.WriteProfileString("Option", "output_cut_file", "/data/last.wmv");
    m_dialog->InitDialogState();
    EXPECT_EQ(m_view.output, "/data/last.wmv");
    EXPECT_TRUE(m_journal.entries.empty());
}

TEST_F(OutputNameTest, OlderSystemsAndFailedLookUpsUseTheFixedNameInTheHomeFolder) {
    m_system.majorVersion = 5;
    m_dialog->InitDialogState();
    EXPECT_EQ(m_view.output, "/home/user/splicora.wmv");
    EXPECT_EQ(m_system.folderCalls, 0);

    m_system.majorVersion = 6;
    m_system.folderResult = false;
    m_dialog->InitDialogState();
    EXPECT_EQ(m_view.output, "/home/user/splicora.wmv");
    EXPECT_EQ(m_journal.entries,
              std::vector<std::string>{"box Error|Can not get My Video directory!|0|owner"});

    m_journal.entries.clear();
    m_system.folderResult = true;
    m_system.videosFolder = "/" + std::string(250, 'v');  // no room for the file name
    m_dialog->InitDialogState();
    EXPECT_EQ(m_view.output, "/home/user/splicora.wmv");
    // Characters count, not bytes: a Cyrillic folder of 200 letters leaves room.
    std::string cyrillic;
    for (int i = 0; i < 200; ++i) cyrillic += "ж";
    m_system.videosFolder = "/" + cyrillic;
    m_dialog->InitDialogState();
    EXPECT_EQ(m_view.output, "/" + cyrillic + "/splicora.wmv");

    m_system.versionResult = false;
    m_dialog->InitDialogState();
    EXPECT_EQ(m_journal.entries,
              std::vector<std::string>{"box Error|Can get Windows Version|0|owner"});
    EXPECT_EQ(m_view.output, "/home/user/splicora.wmv");
}

// Browse opens on the exchanged name: its folder (the videos folder for a bare name) and its file
// name; a name chosen without an extension takes the first file's.
TEST_F(OutputNameTest, BrowseStartsInTheExchangedNamesFolderAndStoresTheChoice) {
    m_dialog->InitDialogState();
    m_dialog->m_outputName = "/data/films/old.wmv";
    m_view.output = "/typed/elsewhere.wmv";  // typed since the last exchange: not used
    m_dialogs.saveAnswers.push_back({true, {"/data/new", {}}});
    m_dialog->OnButtonBrowse();
    const platform::FileDialogRequest& r = m_dialogs.saveRequests.at(0);
    EXPECT_EQ(r.initialFolder, "/data/films");
    EXPECT_EQ(r.title, "Select Output");
    EXPECT_EQ(r.flags, 4u);
    EXPECT_EQ(r.fileName, "old.wmv");
    EXPECT_EQ(r.filters.size(), 4u);
    // Taken as typed, without an extension added.
    EXPECT_EQ(m_dialog->m_outputName, "/data/new");
    EXPECT_EQ(m_view.output, "/data/new");
    EXPECT_EQ(m_settings.GetProfileString("Option", "output_cut_file", "?"), "/data/new");

    m_dialog->m_outputName = "plain.wmv";
    m_settings.writes.clear();
    m_dialog->OnButtonBrowse();  // cancelled
    EXPECT_EQ(m_dialogs.saveRequests.at(1).initialFolder, "/home/user/Videos");
    EXPECT_EQ(m_dialogs.saveRequests.at(1).fileName, "plain.wmv");
    EXPECT_EQ(m_dialog->m_outputName, "plain.wmv");
    EXPECT_TRUE(m_settings.writes.empty());

    SetList({"/v/first.asf", "/v/second.asf"});
    m_dialogs.saveAnswers.resize(m_dialogs.saveRequests.size());  // answers go by call
    m_dialogs.saveAnswers.push_back({true, {"/data/my holiday", {}}});
    m_dialog->OnButtonBrowse();
    EXPECT_EQ(m_view.output, "/data/my holiday.asf");
}

TEST_F(OutputNameTest, PreviewOpensAnExistingOutputAndNamesAMissingOne) {
    m_dialog->m_outputName = m_dir.Path() + "/my film.wmv";
    m_dialog->OnButtonPreviewVideo();
    EXPECT_EQ(m_journal.entries, std::vector<std::string>{"box Error|" + m_dialog->m_outputName +
                                                          " does not exist!|0|none"});
    EXPECT_TRUE(m_shell.calls.empty());

    std::ofstream(m_dialog->m_outputName) << "x";
    m_dialog->OnButtonPreviewVideo();
    EXPECT_EQ(m_shell.calls,
              (std::vector<std::vector<std::string>>{{"open", m_dialog->m_outputName}}));
}

TEST_F(OutputNameTest, HelpOpensTheGuideAndAFailedHomepageSaysWhatToDo) {
    app::DialogSetup setup = WindowSetup();
    setup.baseFolder = std::string(SPLICORA_TEST_DATA) + "/../..";  // the guide in the sources
    m_dialog = std::make_unique<app::CMainDialogLogic>(m_view, setup);
    m_dialog->OnButtonHelp();
    EXPECT_EQ(m_shell.calls.at(0),
              (std::vector<std::string>{"xdg-open", setup.baseFolder + "/help/Introduction.htm"}));

    m_shell.results = {33, 33, 2};
    m_dialog->OnButtonHomepage();
    EXPECT_TRUE(m_journal.entries.empty());
    m_dialog->OnButtonHomepage();
    EXPECT_EQ(m_shell.calls.at(2).at(0), "open");
    EXPECT_EQ(m_journal.entries,
              std::vector<std::string>{
                  "box unknown errors|The Program does not launch your web browser to access "
                  "www.quorvel.example ,\nPlease launch your web browser and input the URL "
                  "manually.\nTo open it from here, install xdg-utils and a web browser.|0|"
                  "owner"});
}

}  // namespace
