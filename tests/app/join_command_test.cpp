// Merge: list length, extension question, same-name refusals, overwrite question, wait cursor, the
// stop question and the closing boxes, with real joins of the bundled samples.

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app_fixture.h"
#include "com_object.h"
#include "wm_interfaces.h"

namespace {

std::string Done(const std::string& output) { return "box Message|Done\n\n" + output + "|0|owner"; }
const std::string kFailed =
    "box Error|The join failed. Nothing was written, and a file already there was left as it "
    "was.|10|owner";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class MergeTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        m_first = m_dir.Path() + "/first.wmv";
        m_second = m_dir.Path() + "/second.wmv";
        std::filesystem::copy_file(Sample("av_wmv2_wma2_meta.wmv"), m_first);
        std::filesystem::copy_file(Sample("av_part2.wmv"), m_second);
    }
    std::string m_first, m_second;
};

TEST_F(MergeTest, FewerThanTwoFilesAsksForFilesAndDoesNothingElse) {
    for (int count : {0, 1}) {
        m_journal.entries.clear();
        SetList(count ? std::vector<std::string>{m_first} : std::vector<std::string>{});
        m_view.output = m_dir.Path() + "/out.wmv";
        m_dialog->OnButtonConvert();
        EXPECT_EQ(m_journal.entries,
                  std::vector<std::string>{"box Error|Add video files to list|0|owner"});
        EXPECT_FALSE(std::filesystem::exists(m_view.output));
    }
}

TEST_F(MergeTest, JoinRunsUnderTheWaitCursorAndEndsWithDone) {
    SetList({m_first, m_second});
    m_view.output = m_dir.Path() + "/joined.wmv";
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_journal.entries, (std::vector<std::string>{"wait+", "wait-", Done(m_view.output)}));
    EXPECT_EQ(m_dialog->m_outputName, m_view.output);
    struct stat st;
    ASSERT_EQ(stat(m_view.output.c_str(), &st), 0);
    EXPECT_GT(st.st_size, 0);
    EXPECT_EQ(Slots(), (std::vector<std::string>{m_first, m_second}));  // the list stays
}

// The window takes no input while a join runs; a drop arriving then is ignored.
TEST_F(MergeTest, ADropDuringAJoinIsIgnored) {
    app::DialogSetup setup = WindowSetup();
    setup.runJoin = [this](const std::function<void()>& work) {
        m_dialog->OnDropFiles({m_first});
        work();
    };
    m_dialog = std::make_unique<app::CMainDialogLogic>(m_view, setup);
    SetList({m_first, m_second});
    m_view.output = m_dir.Path() + "/joined.wmv";
    m_dialog->OnButtonConvert();
    EXPECT_EQ(Slots(), (std::vector<std::string>{m_first, m_second}));
    EXPECT_EQ(m_view.Texts(), (std::vector<std::string>{"first.wmv", "second.wmv"}));
    EXPECT_EQ(m_journal.entries, (std::vector<std::string>{"wait+", "wait-", Done(m_view.output)}));
    m_dialog->OnDropFiles({m_first});  // after the join, a drop is taken again
    EXPECT_EQ(m_dialog->m_inputCount, 3);
}

// The stop question holds the join: it cannot finish while the user is asked. Yes writes nothing
// and leaves an existing output as it was; No lets the join finish.
TEST_F(MergeTest, TheStopQuestionHoldsTheJoinUntilItIsAnswered) {
    for (int answer : {IDYES, IDNO}) {
        bool stopped = false, asked = false;
        // A join may end before the question can be asked; it is then tried again.
        for (int attempt = 0; attempt < 50 && !asked; ++attempt) {
            m_journal.entries.clear();
            m_journal.boxes = 0;
            app::DialogSetup setup = WindowSetup();
            setup.runJoin = [&](const std::function<void()>& work) {
                std::atomic<bool> ended{false};
                std::thread join([&] {
                    work();
                    ended = true;
                });
                while (m_dialog->JoinProgress() < 0 && !ended) std::this_thread::yield();
                // Far longer than the whole join takes when it runs on.
                m_journal.whileShown = [] { std::this_thread::sleep_for(std::chrono::seconds(2)); };
                // The join may still pass the point of no return first: then nobody is asked.
                if (!ended) stopped = m_dialog->AskToStopJoin();
                m_journal.whileShown = nullptr;
                join.join();
            };
            m_dialog = std::make_unique<app::CMainDialogLogic>(m_view, setup);
            SetList({m_first, m_second});
            m_view.output = m_dir.Path() + "/joined.wmv";
            std::ofstream(m_view.output) << "keep me";
            m_journal.answers = {IDYES, answer};  // the overwrite question, then the stop question
            m_dialog->OnButtonConvert();
            for (const std::string& entry : m_journal.entries)
                asked = asked || entry.find("Do you want to stop joining") != std::string::npos;
        }
        ASSERT_TRUE(asked);
        EXPECT_EQ(stopped, answer == IDYES);
        const auto& e = m_journal.entries;
        ASSERT_GE(e.size(), 4u);
        EXPECT_NE(e[2].find("Do you want to stop joining"), std::string::npos);
        if (answer == IDYES) {
            EXPECT_EQ(e.back(), "wait-");  // no "Done"
            EXPECT_EQ(ReadAll(m_view.output), "keep me");
        } else {
            EXPECT_EQ(e.back(), Done(m_view.output));
            EXPECT_EQ(ReadAll(m_view.output).substr(0, 4), ReadAll(m_first).substr(0, 4));
        }
    }
}

// A join that fails after the user allowed the replacement leaves the old file whole, and ends
// with one failure box, never "Done".
TEST_F(MergeTest, AFailingJoinKeepsTheExistingOutput) {
    std::string text = m_dir.Path() + "/notes.wmv";
    std::ofstream(text) << "not a media file";
    SetList({m_first, m_second});
    std::memcpy(m_dialog->m_inputPaths[2], text.c_str(), text.size() + 1);  // changed since added
    m_dialog->m_inputCount = 3;
    m_view.output = m_dir.Path() + "/joined.wmv";
    std::ofstream(m_view.output) << "keep me";
    m_journal.answers = {IDYES};
    m_dialog->OnButtonConvert();
    const auto& e = m_journal.entries;
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ(e.back(), kFailed);
    bool named = false;
    for (const std::string& entry : e)
        named = named || entry.find("Input 3: " + text + " cannot be joined") != std::string::npos;
    EXPECT_TRUE(named);
    EXPECT_EQ(ReadAll(m_view.output), "keep me");
    for (const auto& f : std::filesystem::directory_iterator(m_dir.Path()))
        EXPECT_NE(f.path().filename().string()[0], '.') << f.path();  // no staged file left
}

// Names are limited to 259 characters, however many bytes they take.
TEST_F(MergeTest, OutputNamesCountCharactersNotBytes) {
    std::string letters;
    for (int i = 0; i < 100; ++i) letters += "ж";
    std::string folder = m_dir.Path() + "/" + letters;  // 200 bytes
    std::filesystem::create_directory(folder);
    SetList({m_first, m_second});
    m_view.output = folder + "/" + letters.substr(0, 120) + ".wmv";  // well over 260 bytes
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_journal.entries, (std::vector<std::string>{"wait+", "wait-", Done(m_view.output)}));
    EXPECT_TRUE(std::filesystem::exists(m_view.output));

    m_journal.entries.clear();
    m_view.output = m_dir.Path() + "/" + std::string(260 - m_dir.Path().size() - 1, 'n');
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_journal.entries,
              std::vector<std::string>{"box Error|The output file name is too long: at most 259 "
                                       "characters are allowed.|0|owner"});
}

// Yes puts the first file's extension in the box, in place of the typed one or after a name
// without one, and selects it; nothing is joined until Merge is pressed again.
TEST_F(MergeTest, ExtensionQuestionYesPutsTheFirstFilesExtensionInTheBoxSelected) {
    SetList({m_first, m_second});
    for (const char* typed : {"/my holiday", "/my holiday.avi"}) {
        m_journal.entries.clear();
        m_journal.boxes = 0;
        m_view.output = m_dir.Path() + typed;
        m_journal.answers = {IDYES};
        m_dialog->OnButtonConvert();
        EXPECT_EQ(m_journal.entries,
                  std::vector<std::string>{"box Warning|The output file " + m_dir.Path() + typed +
                                           " extension should be wmv. Do you want to change "
                                           "it?|34|owner"});
        EXPECT_EQ(m_view.output, m_dir.Path() + "/my holiday.wmv");
        EXPECT_EQ(m_view.selectionStart, int(m_view.output.size()) - 3);
        EXPECT_EQ(m_view.selectionEnd, -1);
        EXPECT_FALSE(std::filesystem::exists(m_view.output));
    }
}

// A name typed without a folder is written to the videos folder, not the current one.
TEST_F(MergeTest, ABareNameGoesToTheVideosFolder) {
    m_system.videosFolder = m_dir.Path();
    m_dialog->InitDialogState();
    SetList({m_first, m_second});
    m_view.output = "bare.wmv";
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_view.output, m_dir.Path() + "/bare.wmv");
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() + "/bare.wmv"));
    EXPECT_FALSE(std::filesystem::exists("bare.wmv"));
}

TEST_F(MergeTest, UpperCaseExtensionIsAskedAboutAndNoGoesOnWithTheName) {
    SetList({m_first, m_second});
    m_view.output = m_dir.Path() + "/OUT.WMV";
    m_journal.answers = {IDNO};
    m_dialog->OnButtonConvert();
    ASSERT_EQ(m_journal.entries.size(), 4u);
    EXPECT_NE(m_journal.entries[0].find("extension should be wmv."), std::string::npos);
    EXPECT_EQ(m_journal.entries[3], Done(m_view.output));
    EXPECT_TRUE(std::filesystem::exists(m_view.output));
}

TEST_F(MergeTest, ExistingOutputIsKeptOnNoAndReplacedOnYes) {
    SetList({m_first, m_second});
    m_view.output = m_dir.Path() + "/old output.wmv";
    std::ofstream(m_view.output) << "keep me";
    const std::string question =
        "box Warning|" + m_view.output + " exists. Do you want to replace it?|34|owner";

    m_journal.answers = {IDNO};
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_journal.entries, std::vector<std::string>{question});
    EXPECT_EQ(ReadAll(m_view.output), "keep me");

    m_journal.entries.clear();
    m_journal.boxes = 0;
    m_journal.answers = {IDYES};
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_journal.entries,
              (std::vector<std::string>{question, "wait+", "wait-", Done(m_view.output)}));
    EXPECT_EQ(ReadAll(m_view.output).substr(0, 4), ReadAll(m_first).substr(0, 4));  // ASF now
}

TEST_F(MergeTest, AnOutputNamingAnyInputIsRefusedBeforeTheOverwriteQuestion) {
    std::string third = m_dir.Path() + "/third.wmv";
    std::filesystem::copy_file(Sample("av_part3.wmv"), third);
    std::string link = m_dir.Path() + "/link.wmv";
    ASSERT_EQ(symlink(m_second.c_str(), link.c_str()), 0);
    SetList({m_first, m_second, third});
    const std::string before = ReadAll(third);

    struct Case {
        std::string output;
        std::string refusal;
    } cases[] = {
        {m_dir.Path() + "/FIRST.wmv", "First file name and destination file name are same."},
        {link, "Second file name and destination file name are same."},
        {third, "File 3 of the list and destination file name are same."},
    };
    for (const Case& c : cases) {
        m_journal.entries.clear();
        m_view.output = c.output;
        m_journal.answers = {IDYES, IDYES, IDYES};
        m_dialog->OnButtonConvert();
        ASSERT_EQ(m_journal.entries.size(), 2u) << c.output;
        EXPECT_EQ(m_journal.entries[0],
                  "box (null)|" + c.refusal + " This is not allowed.\n|2030|none");
        EXPECT_EQ(m_journal.entries[1], kFailed);
    }
    EXPECT_EQ(ReadAll(third), before);
    EXPECT_TRUE(std::filesystem::exists(m_second));
}

TEST_F(MergeTest, AnOutputNameTooLongForAPathIsRefused) {
    SetList({m_first, m_second});
    m_view.output = m_dir.Path() + "/" + std::string(260, 'x') + ".wmv";
    m_dialog->OnButtonConvert();
    EXPECT_EQ(m_journal.entries,
              std::vector<std::string>{
                  "box Error|The output file name is too long: at most 259 characters are "
                  "allowed.|0|owner"});
}

TEST_F(MergeTest, AFailedJoinShowsTheEngineMessagesThenOneFailureBox) {
    std::string other = m_dir.Path() + "/other.wmv";
    std::filesystem::copy_file(Sample("av_wmv1_incompatible.wmv"), other);
    SetList({m_first, other});
    m_view.output = m_dir.Path() + "/joined.wmv";
    m_dialog->OnButtonConvert();
    const auto& e = m_journal.entries;
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ(e.front(), "wait+");
    EXPECT_EQ(e[e.size() - 2], "wait-");
    EXPECT_EQ(e.back(), kFailed);
    EXPECT_EQ(e[e.size() - 3],
              "box (null)|Profile Mismatch\nCan not continue... Aborting the process\n|2030|none");
    EXPECT_FALSE(std::filesystem::exists(m_view.output));
}

}  // namespace

namespace {

// The menu's "Gapless joining" is kept in the settings and reaches the join: the second part
// follows the first's true end (4.05 s) rather than the next whole second (5 s).
TEST_F(MergeTest, GaplessJoiningIsKeptInTheSettingsAndPlacesThePartsEndToEnd) {
    SetList({m_first, m_second});
    auto lastSampleAt = [&](const std::string& name) {
        m_view.output = m_dir.Path() + "/" + name;
        m_dialog->OnButtonConvert();
        WM_FILE_INSPECTION file{};
        std::u16string wide(m_view.output.begin(), m_view.output.end());
        EXPECT_EQ(WMInspectFile(wide.c_str(), &file), S_OK);
        return file.endTime;
    };
    EXPECT_FALSE(m_dialog->GaplessJoining());
    QWORD whole = lastSampleAt("whole.wmv");
    m_dialog->OnGaplessCommand();
    EXPECT_EQ(m_settings.GetProfileInt("Option", "Gapless", 0), 1);
    QWORD gapless = lastSampleAt("gapless.wmv");
    EXPECT_GT(whole - gapless, 9000000u);  // 0.95 s: the rest of the first part's last second
    m_dialog->OnGaplessCommand();
    EXPECT_FALSE(m_dialog->GaplessJoining());
}

// "Mark each part" is kept in the settings and reaches the join: one marker more for each part.
TEST_F(MergeTest, MarkEachPartIsKeptInTheSettingsAndReachesTheJoin) {
    SetList({m_first, m_second});
    auto markerCount = [&](const std::string& name) {
        m_view.output = m_dir.Path() + "/" + name;
        m_dialog->OnButtonConvert();
        wm::ComPtr<IWMMetadataEditor> editor;
        wm::ComPtr<IWMHeaderInfo> header;
        std::u16string wide(m_view.output.begin(), m_view.output.end());
        WORD count = 0;
        if (Succeeded(WMCreateEditor(editor.Out())) && Succeeded(editor->Open(wide.c_str())) &&
            Succeeded(editor.As(header)))
            header->GetMarkerCount(&count);
        return count;
    };
    EXPECT_EQ(markerCount("plain.wmv"), 2);  // the first file's own two
    m_dialog->OnPartMarkersCommand();
    EXPECT_EQ(m_settings.GetProfileInt("Option", "PartMarkers", 0), 1);
    EXPECT_EQ(markerCount("parts.wmv"), 4);
    m_dialog->OnPartMarkersCommand();
    EXPECT_FALSE(m_dialog->PartMarkers());
}

}  // namespace
