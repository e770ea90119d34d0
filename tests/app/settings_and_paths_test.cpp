// The settings file across runs, the base folder, the videos folder and the file tests.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/path_names.h"
#include "platform/file_helpers.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/system_info.h"
#include "platform/temp_folder.h"

namespace {

TEST(SettingsFile, ValuesWrittenByOneRunAreReadByTheNext) {
    TempFolder dir;
    std::string path = dir.Path() + "/Quorvel/splicora.ini";  // the folder does not exist yet
    {
        platform::CFileSettingsStore run(path);
        EXPECT_TRUE(run.WriteProfileString("Option", "CurrentLanguage", "German"));
        run.WriteProfileString("Option", "LastFolder", " /a \"b\"\\c\nd ");
        run.WriteProfileInt("english", "lfHeight", -11);
        run.WriteProfileInt("english", "lfWeight", 700);
        run.WriteProfileString("OPTION", "currentlanguage", "French");  // names are case-blind
    }
    platform::CFileSettingsStore next(path);
    EXPECT_EQ(next.GetProfileString("option", "CurrentLanguage", "english"), "French");
    EXPECT_EQ(next.GetProfileString("Option", "LastFolder", ""), " /a \"b\"\\c\nd ");
    EXPECT_EQ(next.GetProfileInt("English", "lfHeight", 0), -11);
    EXPECT_EQ(next.GetProfileInt("english", "lfWeight", 400), 700);
    // Absent values and values of the other type give the default.
    EXPECT_EQ(next.GetProfileInt("english", "lfItalic", 7), 7);
    EXPECT_EQ(next.GetProfileInt("Option", "LastFolder", 5), 5);
    EXPECT_EQ(next.GetProfileString("english", "lfHeight", "d"), "d");
    EXPECT_EQ(next.GetProfileString("Nowhere", "x", "d"), "d");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SettingsFile, AMissingOrDamagedFileGivesDefaultsAndIsRewrittenWhole) {
    TempFolder dir;
    platform::CFileSettingsStore store(dir.Path() + "/none.ini");
    EXPECT_EQ(store.GetProfileString("Option", "CurrentLanguage", "english"), "english");

    std::string path = dir.Write("s.ini",
                                 "garbage\nkey=\"outside a section\"\n[Option]\nbad=\"a\\q\"\n"
                                 "LastFolder=\"/kept/\"\nLastFolder=\"/second/\"\n[\n");
    platform::CFileSettingsStore damaged(path);
    EXPECT_EQ(damaged.GetProfileString("Option", "bad", "d"), "\"a\\q\"");  // as it stands
    EXPECT_EQ(damaged.GetProfileString("Option", "key", "d"), "d");
    EXPECT_EQ(damaged.GetProfileString("Option", "LastFolder", "d"), "/kept/");
    EXPECT_TRUE(damaged.WriteProfileInt("Option", "n", 1));
    EXPECT_EQ(damaged.GetProfileString("Option", "LastFolder", "d"), "/kept/");
    EXPECT_EQ(damaged.GetProfileInt("Option", "n", 0), 1);
}

// A file edited by hand: plain values are read, and a write keeps every line it does not change.
TEST(SettingsFile, PlainValuesAreReadAndCommentsAndUnknownLinesSurviveAWrite) {
    TempFolder dir;
    const std::string edited =
        "; my settings\r\n"
        "# written by hand\n"
        "[Option]\n"
        "CurrentLanguage = German\n"
        "LastFolder=/home/ana/Filme/ ; not a comment\n"
        "this line is not a value\n"
        "\n"
        "; fonts below\n"
        "[german]\n"
        "lfHeight=-15\n"
        "lfWeight=\"700\"\n"
        "lfFaceName=DejaVu Sans\n";
    std::string path = dir.Write("Quorvel/splicora.ini", edited);
    platform::CFileSettingsStore store(path);
    EXPECT_EQ(store.GetProfileString("Option", "CurrentLanguage", "english"), "German");
    EXPECT_EQ(store.GetProfileString("Option", "LastFolder", ""),
              "/home/ana/Filme/ ; not a comment");
    EXPECT_EQ(store.GetProfileInt("german", "lfHeight", -11), -15);
    EXPECT_EQ(store.GetProfileInt("german", "lfWeight", 400), 700);
    EXPECT_EQ(store.GetProfileString("german", "lfFaceName", ""), "DejaVu Sans");
    EXPECT_EQ(store.GetProfileInt("german", "lfFaceName", 3), 3);

    // Writing one value and adding another changes those lines only.
    ASSERT_TRUE(store.WriteProfileString("Option", "CurrentLanguage", "French"));
    ASSERT_TRUE(store.WriteProfileString("Option", "output_cut_file", "/v/out.wmv"));
    ASSERT_TRUE(store.WriteProfileInt("french", "lfHeight", -13));
    std::string expected = edited;
    expected.replace(expected.find("CurrentLanguage = German"), 24, "CurrentLanguage=\"French\"");
    expected.insert(expected.find("this line"), "output_cut_file=\"/v/out.wmv\"\n");
    expected += "\n[french]\nlfHeight=dword:fffffff3\n";
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
    EXPECT_EQ(platform::CFileSettingsStore(path).GetProfileString("Option", "LastFolder", ""),
              "/home/ana/Filme/ ; not a comment");
}

// A settings file that exists but cannot be read (a FIFO, a folder, a loop of links) is never
// waited on nor written: the store works from defaults in memory and says why once.
TEST(SettingsFile, AFileThatCannotBeReadIsLeftAloneAndReportedOnce) {
    TempFolder dir;
    const std::string fifo = dir.Path() + "/fifo.ini", folder = dir.Path() + "/folder.ini",
                      loop = dir.Path() + "/loop.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(symlink("loop.ini", loop.c_str()), 0);
    for (const std::string& path : {fifo, folder, loop}) {
        platform::CFileSettingsStore store(path);
        EXPECT_EQ(store.GetProfileString("Option", "CurrentLanguage", "english"), "english");
        const std::string problem = store.TakeReadProblem();
        EXPECT_EQ(problem.rfind(path + ": ", 0), 0u) << problem;
        EXPECT_EQ(store.TakeReadProblem(), "");
        EXPECT_FALSE(store.WriteProfileString("Option", "CurrentLanguage", "German"));
        EXPECT_EQ(store.GetProfileString("Option", "CurrentLanguage", "english"), "German");
    }
    struct stat st;
    EXPECT_TRUE(stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    EXPECT_TRUE(lstat(loop.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

// A link is followed and stays a link; the file keeps its mode; the file is read once.
TEST(SettingsFile, AWriteGoesToTheLinksTargetWithItsModeAndTheFileIsReadOnce) {
    TempFolder dir;
    const std::string target =
        dir.Write("dotfiles/splicora.ini", "; mine\n[Option]\nLastFolder=/a/\n");
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);
    std::filesystem::create_directories(dir.Path() + "/Quorvel");
    const std::string link = dir.Path() + "/Quorvel/splicora.ini";
    ASSERT_EQ(symlink("../dotfiles/splicora.ini", link.c_str()), 0);
    platform::CFileSettingsStore store(link);
    EXPECT_EQ(store.GetProfileString("Option", "LastFolder", ""), "/a/");
    EXPECT_EQ(store.TakeReadProblem(), "");
    ASSERT_TRUE(store.WriteProfileString("Option", "CurrentLanguage", "German"));
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "; mine\n[Option]\nLastFolder=/a/\nCurrentLanguage=\"German\"\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() + "/dotfiles"), {}), 1);

    // Changed behind the store's back: it keeps what it read at first.
    std::ofstream(target, std::ios::binary) << "[Option]\nLastFolder=/other/\n";
    EXPECT_EQ(store.GetProfileString("Option", "LastFolder", ""), "/a/");
}

TEST(SettingsFile, ThePathFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/cfg/", 1);
    EXPECT_EQ(platform::SettingsFilePath("Quorvel", "splicora"), "/cfg/Quorvel/splicora.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
    EXPECT_EQ(platform::SettingsFilePath("Quorvel", "copy"),
              std::string(std::getenv("HOME")) + "/.config/Quorvel/copy.ini");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(BaseFolder, TheParentHoldsTheLanguagesOnlyWhenItHasEnglishIni) {
    TempFolder dir;
    std::string exe = dir.Write("App/bin/splicora", "");
    dir.Write("App/bin/language/English.ini", "");
    dir.Write("App/language/German.ini", "");
    EXPECT_EQ(app::GetBaseFolder(exe), dir.Path() + "/App/bin");
    dir.Write("App/language/English.ini", "");
    EXPECT_EQ(app::GetBaseFolder(exe), dir.Path() + "/App");
    EXPECT_EQ(app::GetBaseFolder("/splicora"), "");  // the root: no separator left

    // Installed: <prefix>/bin/splicora finds its files in <prefix>/share/splicora.
    std::string installed = dir.Write("usr/bin/splicora", "");
    dir.Write("usr/share/splicora/language/English.ini", "");
    EXPECT_EQ(app::GetBaseFolder(installed), dir.Path() + "/usr/share/splicora");
    dir.Write("usr/bin/language/German.ini", "");  // a language folder beside the program wins
    EXPECT_EQ(app::GetBaseFolder(installed), dir.Path() + "/usr/bin");
}

TEST(VideosFolder, UserDirsEntriesAreExpandedAndCheckedForm) {
    EXPECT_EQ(platform::VideosFolderFromUserDirs(
                  "# comment\nXDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_VIDEOS_DIR=\"$HOME/Filme/\"\n",
                  "/home/u"),
              "/home/u/Filme");
    EXPECT_EQ(platform::VideosFolderFromUserDirs("XDG_VIDEOS_DIR=\"/srv/video\"", "/home/u"),
              "/srv/video");
    EXPECT_EQ(platform::VideosFolderFromUserDirs("XDG_VIDEOS_DIR=\"video\"", "/home/u"), "");
    EXPECT_EQ(platform::VideosFolderFromUserDirs("XDG_VIDEOS_DIR=$HOME/v", "/home/u"), "");
}

// A videos folder that does not exist gives way to the home folder, so the first join can write.
TEST(VideosFolder, AMissingVideosFolderGivesTheHomeFolder) {
    TempFolder dir;
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    std::string savedConfig = oldConfig ? oldConfig : "";
    setenv("HOME", dir.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.Path() + "/cfg").c_str(), 1);
    platform::CLinuxSystemInfo system;
    std::string folder;
    for (const char* userDirs : {"", "XDG_VIDEOS_DIR=\"$HOME/Filme\"\n"}) {
        if (*userDirs) dir.Write("cfg/user-dirs.dirs", userDirs);
        ASSERT_TRUE(system.GetFolderPath(platform::CSIDL_MYVIDEO, folder));
        EXPECT_EQ(folder, dir.Path()) << userDirs;
    }
    std::filesystem::create_directory(dir.Path() + "/Filme");
    ASSERT_TRUE(system.GetFolderPath(platform::CSIDL_MYVIDEO, folder));
    EXPECT_EQ(folder, dir.Path() + "/Filme");
    ASSERT_TRUE(system.GetFolderPath(platform::CSIDL_PROFILE, folder));
    EXPECT_EQ(folder, dir.Path());
    setenv("HOME", savedHome.c_str(), 1);
    if (oldConfig)
        setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(FileTests, OnlyReadableRegularFilesExistAndAFifoDoesNotBlock) {
    TempFolder dir;
    EXPECT_EQ(platform::FileExists(dir.Write("f.wmv", "x")), 1);
    EXPECT_EQ(platform::FileExists(dir.Path()), 0);
    EXPECT_EQ(platform::FileExists(dir.Path() + "/missing"), 0);
    EXPECT_EQ(platform::FileExists(""), 0);
    std::string fifo = dir.Path() + "/pipe.wmv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(platform::FileExists(fifo), 0);
    EXPECT_FALSE(platform::IsFileOrFolder(fifo));
    EXPECT_TRUE(platform::IsFileOrFolder(dir.Path()));
    if (geteuid() != 0) {
        std::string locked = dir.Write("locked.wmv", "x");
        chmod(locked.c_str(), 0);
        EXPECT_EQ(platform::FileExists(locked), 0);
    }
}

}  // namespace
