// The replacement file: nothing left behind unless committed, no file replaced without leave,
// and a link followed to a target that may not exist yet.

#include "asf/replacement_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/temp_folder.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

bool WriteText(const asf::Descriptor& fd, const std::string& text) {
    return write(fd.Get(), text.data(), text.size()) == ssize_t(text.size());
}

std::string Text(const fs::path& path) {
    std::vector<uint8_t> bytes = ReadWholeFile(path.string());
    return std::string(bytes.begin(), bytes.end());
}

TEST(ReplacementFile, LeavesNothingUncommittedReplacesOnlyWithLeaveAndFollowsLinks) {
    TempFolder temp;
    const fs::path dir = temp.Path();
    ASSERT_FALSE(dir.empty());
    const std::string target = (dir / "a.ini").string();
    {
        asf::ReplacementFile file;
        asf::Descriptor fd = file.Create(target, ".tmp-", 0600);
        ASSERT_TRUE(fd && WriteText(fd, "lost"));
        EXPECT_EQ(fs::path(file.Path()).parent_path(), dir);
    }
    EXPECT_TRUE(fs::is_empty(dir));

    // A file that appeared at the target meanwhile stays when replacing is not allowed.
    { std::ofstream(target) << "theirs"; }
    {
        asf::ReplacementFile file;
        asf::Descriptor fd = file.Create(target, ".tmp-", 0600);
        ASSERT_TRUE(fd && WriteText(fd, "mine"));
        EXPECT_FALSE(file.Commit(false));
        EXPECT_EQ(errno, EEXIST);
    }
    EXPECT_EQ(Text(target), "theirs");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);

    // Through a link to a file not made yet, then again with the mode the user gave it.
    fs::create_directory(dir / "real");
    const std::string link = (dir / "link.ini").string();
    ASSERT_EQ(symlink("real/b.ini", link.c_str()), 0);
    const fs::path real = dir / "real" / "b.ini";
    auto replace = [&](const std::string& text) {
        asf::ReplacementFile file;
        asf::Descriptor fd = file.Create(link, ".tmp-", 0600, asf::ReplacementFile::Links::Follow);
        struct stat st;
        bool ok = fd && WriteText(fd, text) &&
                  (stat(link.c_str(), &st) != 0 ||
                   asf::ReplacementFile::TakeModeAndOwner(fd.Get(), st)) &&
                  file.Commit();
        EXPECT_TRUE(fs::is_symlink(link));
        return ok && Text(real) == text;
    };
    EXPECT_TRUE(replace("first"));
    fs::permissions(real, fs::perms(0640));
    EXPECT_TRUE(replace("second"));
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 1);
}

}  // namespace
