#include "platform/file_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "temp_folder.h"

namespace {

TEST(FileSearch, MatchesSuffixIgnoringCaseFilesAndFolders) {
    TempFolder dir;
    dir.Write("a.ini", "");
    dir.Write("B.INI", "");
    dir.Write("c.ini.bak", "");
    dir.Write("d.txt", "");
    dir.Write("folder.ini/x", "");
    std::vector<std::string> names{"kept"};
    EXPECT_TRUE(platform::FindFilesWithSuffix(dir.Path(), ".ini", names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.INI", "a.ini", "folder.ini", "kept"}));
}

TEST(FileSearch, NothingFoundOrNoFolder) {
    TempFolder dir;
    dir.Write("d.txt", "");
    std::vector<std::string> names;
    EXPECT_FALSE(platform::FindFilesWithSuffix(dir.Path(), ".ini", names));
    EXPECT_FALSE(platform::FindFilesWithSuffix(dir.Path() + "/missing", ".ini", names));
    EXPECT_TRUE(names.empty());
}

TEST(FileSearch, CaseBlindPathPrefersExactThenSmallest) {
    TempFolder dir;
    std::string exact = dir.Write("english.ini", "");
    dir.Write("English.ini", "");
    dir.Write("ENGLISH.ini", "");
    EXPECT_EQ(platform::ResolvePathCaseBlind(exact), exact);
    EXPECT_EQ(platform::ResolvePathCaseBlind(dir.Path() + "/EngLISH.ini"),
              dir.Path() + "/ENGLISH.ini");
    EXPECT_EQ(platform::ResolvePathCaseBlind(dir.Path() + "/none.ini"), dir.Path() + "/none.ini");
}

}  // namespace
