// The input list: Up, Down, Delete and Clear with their selection rules, Add with its dialog and
// LastFolder, drops, the add-time probe and the list's limits.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "app_fixture.h"

namespace {

const std::string kSelect = "box splicora|Please select items!|0|owner";

class ListTest : public AppTest {};

TEST_F(ListTest, UpMovesEverySelectedRowUnlessRowZeroIsAmongThem) {
    SetList({"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"});
    m_view.Select({0, 2});
    m_dialog->OnButtonItemUp();
    EXPECT_EQ(Slots(), (std::vector<std::string>{"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"}));
    EXPECT_EQ(m_view.Selected(), (std::vector<int>{0, 2}));
    EXPECT_EQ(m_view.listFocused, 1);

    SetList({"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"});
    m_view.Select({1, 2});
    m_dialog->OnButtonItemUp();
    EXPECT_EQ(m_view.Texts(), (std::vector<std::string>{"b.wmv", "c.wmv", "a.wmv", "d.wmv"}));
    EXPECT_EQ(Slots(), (std::vector<std::string>{"/v/b.wmv", "/v/c.wmv", "/v/a.wmv", "/v/d.wmv"}));
    EXPECT_EQ(m_view.Selected(), (std::vector<int>{0, 1}));
}

TEST_F(ListTest, DownKeepsALastRowAndTheRunAboveItButMovesTheOthers) {
    SetList({"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"});
    m_view.Select({1, 3});
    m_dialog->OnButtonItemDown();
    EXPECT_EQ(m_view.Texts(), (std::vector<std::string>{"a.wmv", "c.wmv", "b.wmv", "d.wmv"}));
    EXPECT_EQ(Slots(), (std::vector<std::string>{"/v/a.wmv", "/v/c.wmv", "/v/b.wmv", "/v/d.wmv"}));
    EXPECT_EQ(m_view.Selected(), (std::vector<int>{2, 3}));

    SetList({"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"});
    m_view.Select({1, 2});
    m_dialog->OnButtonItemDown();
    EXPECT_EQ(m_view.Texts(), (std::vector<std::string>{"a.wmv", "d.wmv", "b.wmv", "c.wmv"}));
    EXPECT_EQ(m_view.Selected(), (std::vector<int>{2, 3}));

    SetList({"/v/a.wmv", "/v/b.wmv", "/v/c.wmv", "/v/d.wmv"});
    m_view.Select({0, 2, 3});
    m_dialog->OnButtonItemDown();
    EXPECT_EQ(Slots(), (std::vector<std::string>{"/v/b.wmv", "/v/a.wmv", "/v/c.wmv", "/v/d.wmv"}));
    EXPECT_EQ(m_view.Selected(), (std::vector<int>{1, 2, 3}));
}

TEST_F(ListTest, DeleteRemovesEverySelectedRowAndClearEmptiesTheList) {
    SetList({"/v/a.wmv", "/v/b.wmv", "/v/c.wmv"});
    m_view.Select({0, 2});
    m_dialog->OnButtonItemDelete();
    EXPECT_EQ(Slots(), std::vector<std::string>{"/v/b.wmv"});
    EXPECT_EQ(m_view.Texts(), std::vector<std::string>{"b.wmv"});

    m_dialog->OnButtonItemClear();
    EXPECT_EQ(m_dialog->m_inputCount, 0);
    EXPECT_TRUE(m_view.rows.empty());
    EXPECT_TRUE(m_journal.entries.empty());
}

TEST_F(ListTest, NoSelectionAsksForOneAndShortListsAreLeftAlone) {
    SetList({"/v/a.wmv", "/v/b.wmv"});
    m_dialog->OnButtonItemUp();
    m_dialog->OnButtonItemDown();
    m_dialog->OnButtonItemDelete();
    EXPECT_EQ(m_journal.entries, (std::vector<std::string>{kSelect, kSelect, kSelect}));

    m_journal.entries.clear();
    SetList({"/v/a.wmv"});
    m_dialog->OnButtonItemUp();
    m_dialog->OnButtonItemDown();
    SetList({});
    m_dialog->OnButtonItemDelete();
    EXPECT_TRUE(m_journal.entries.empty());
}

class AddTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        std::filesystem::create_directories(m_dir.Path() + "/in");
        for (const char* name :
             {"av_wmv2_wma2_meta.wmv", "av_part2.wmv", "av_wmv1_incompatible.wmv"})
            std::filesystem::copy_file(Sample(name), m_dir.Path() + "/in/" + name);
    }
    void AnswerOpen(const std::string& folder, const std::vector<std::string>& names) {
        platform::FileDialogResult r;
        if (names.size() == 1) {
            r.path = folder + "/" + names[0];
        } else {
            for (const std::string& n : names) r.paths.push_back(folder + "/" + n);
        }
        m_dialogs.openAnswers.push_back({true, r});
    }
    std::string In(const std::string& name) const { return m_dir.Path() + "/in/" + name; }
};

TEST_F(AddTest, SeveralFilesAreProbedAgainstTheFirstAndTheFolderIsRemembered) {
    m_settings.WriteProfileString("Option", "LastFolder", "/earlier/");
    AnswerOpen(m_dir.Path() + "/in",
               {"av_wmv2_wma2_meta.wmv", "av_wmv1_incompatible.wmv", "av_part2.wmv"});
    m_dialog->OnButtonAddVideo();

    const platform::FileDialogRequest& r = m_dialogs.openRequests.at(0);
    EXPECT_EQ(r.owner, &m_view);
    EXPECT_EQ(r.title, "Open a video file");
    EXPECT_EQ(r.flags, 0x81A01u);
    EXPECT_EQ(r.initialFolder, "/earlier/");
    EXPECT_EQ(r.filterIndex, 1);
    ASSERT_EQ(r.filters.size(), 4u);
    EXPECT_EQ(r.filters[0].first, "Windows Media file(*.wmv;*.wma;*.asf)");
    EXPECT_EQ(r.filters[0].second, "*.wmv;*.wma;*.asf");
    EXPECT_EQ(r.filters[3].second, "*.asf");

    EXPECT_EQ(Slots(), (std::vector<std::string>{In("av_wmv2_wma2_meta.wmv"), In("av_part2.wmv")}));
    EXPECT_EQ(m_view.Texts(), (std::vector<std::string>{"av_wmv2_wma2_meta.wmv", "av_part2.wmv"}));
    EXPECT_EQ(m_settings.GetProfileString("Option", "LastFolder", "?"), m_dir.Path() + "/in/");
    // The refusal names the candidate, after the engine's own messages.
    const std::string warning = "box Warning|" + In("av_wmv1_incompatible.wmv") +
                                " has the different stream profile with the previous wmv files. "
                                "It can not be merged.|0|owner";
    EXPECT_EQ(std::count(m_journal.entries.begin(), m_journal.entries.end(), warning), 1);
    EXPECT_EQ(m_journal.depth, 0);
}

TEST_F(AddTest, AnAllRefusedAddRemembersTheFolderOfTheListsLastEntry) {
    SetList({"/music/first.wmv"});
    AnswerOpen(m_dir.Path() + "/in", {"av_part2.wmv"});
    m_dialog->OnButtonAddVideo();
    EXPECT_EQ(m_dialog->m_inputCount, 1);
    EXPECT_EQ(m_settings.GetProfileString("Option", "LastFolder", "?"), "/music/");

    m_settings.writes.clear();
    m_dialog->OnButtonAddVideo();  // cancelled: no answer left
    EXPECT_TRUE(m_settings.writes.empty());

    SetList({});
    m_dialogs.openAnswers.push_back({true, {}});  // a dialog that names no file adds nothing
    m_dialog->OnButtonAddVideo();
    EXPECT_EQ(m_dialog->m_inputCount, 0);
}

// The Recent and Search views choose files from many folders: each keeps its own full path.
TEST_F(AddTest, SeveralFilesFromManyFoldersKeepTheirFullPaths) {
    std::string elsewhere = m_dir.Path() + "/elsewhere/part two.wmv";
    std::filesystem::create_directories(m_dir.Path() + "/elsewhere");
    std::filesystem::copy_file(Sample("av_part2.wmv"), elsewhere);
    platform::FileDialogResult chosen;
    chosen.paths = {In("av_wmv2_wma2_meta.wmv"), elsewhere};
    m_dialogs.openAnswers.push_back({true, chosen});
    m_dialog->OnButtonAddVideo();
    EXPECT_EQ(Slots(), (std::vector<std::string>{In("av_wmv2_wma2_meta.wmv"), elsewhere}));
    EXPECT_EQ(m_settings.GetProfileString("Option", "LastFolder", "?"),
              m_dir.Path() + "/elsewhere/");
}

TEST_F(AddTest, AFullListAndOverlongPathsAreRefusedWithAMessage) {
    std::vector<std::string> full(app::kMaxInputFiles, In("av_part2.wmv"));
    SetList(full);
    AnswerOpen(m_dir.Path() + "/in", {"av_part2.wmv", "av_wmv2_wma2_meta.wmv"});
    m_dialog->OnButtonAddVideo();
    EXPECT_EQ(m_dialog->m_inputCount, app::kMaxInputFiles);
    EXPECT_EQ(m_journal.entries,
              std::vector<std::string>{
                  "box Error|The list is full: at most 1000 files can be joined.|0|owner"});

    m_journal.entries.clear();
    SetList({});
    std::string longName = std::string(255, 'n') + ".wmv";
    AnswerOpen(m_dir.Path() + "/in", {longName, "av_part2.wmv"});
    m_dialog->OnButtonAddVideo();
    EXPECT_EQ(Slots(), std::vector<std::string>{In("av_part2.wmv")});
    ASSERT_EQ(m_journal.entries.size(), 3u);  // the refusal; the first file's wait cursor
    EXPECT_EQ(m_journal.entries[0].rfind("box Error|The file name is too long (at most 259 "
                                         "characters): ",
                                         0),
              0u);

    // Characters count, not bytes: 160 Cyrillic letters take 320 bytes and are joined.
    std::string cyrillic;
    for (int i = 0; i < 80; ++i) cyrillic += "ж";
    std::string folder = m_dir.Path() + "/" + cyrillic;
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(Sample("av_part2.wmv"), folder + "/" + cyrillic + ".wmv");
    m_journal.entries.clear();
    AnswerOpen(folder, {cyrillic + ".wmv"});
    m_dialog->OnButtonAddVideo();
    EXPECT_EQ(Slots(),
              (std::vector<std::string>{In("av_part2.wmv"), folder + "/" + cyrillic + ".wmv"}));
    m_view.output = m_dir.Path() + "/joined.wmv";
    m_dialog->OnButtonConvert();
    EXPECT_TRUE(std::filesystem::exists(m_view.output));
}

TEST_F(AddTest, DropsPassTheAttributeAndExtensionTestsThenTheProbe) {
    std::string upper = m_dir.Path() + "/MOVIE.WMV";
    std::filesystem::copy_file(Sample("av_part2.wmv"), upper);
    std::string folder = m_dir.Path() + "/x.wmv";
    std::filesystem::create_directory(folder);
    std::string text = m_dir.Path() + "/clip.wmv.txt";
    std::ofstream(text) << "not media";
    std::string plain = m_dir.Path() + "/notes.txt";
    std::ofstream(plain) << "notes";

    // Onto an empty list a folder becomes the first entry.
    m_dialog->OnDropFiles({m_dir.Path() + "/missing.wmv", plain, folder});
    EXPECT_EQ(Slots(), std::vector<std::string>{folder});
    EXPECT_EQ((std::vector<std::string>{"wait+", "wait-"}), m_journal.entries);

    SetList({In("av_wmv2_wma2_meta.wmv")});
    m_journal.entries.clear();
    m_dialog->OnDropFiles({upper, text, folder});
    EXPECT_EQ(Slots(), (std::vector<std::string>{In("av_wmv2_wma2_meta.wmv"), upper}));
    for (const std::string& refused : {text, folder}) {
        std::string warning = "box Warning|" + refused +
                              " has the different stream  with the previous wmv files. It can "
                              "not be merged.|0|owner";
        EXPECT_EQ(std::count(m_journal.entries.begin(), m_journal.entries.end(), warning), 1)
            << refused;
    }
    EXPECT_TRUE(m_settings.writes.empty());  // a drop leaves LastFolder alone
}

}  // namespace
