#include "platform/ini_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "temp_folder.h"

namespace {

using platform::FindProfileValue;

std::string Read(const std::string& path, const char* section, const char* key,
                 const char* def = "", size_t size = 2048) {
    std::string buffer(size, 'X');
    size_t n = platform::ReadProfileString(section, key, def, buffer.data(), size, path.c_str());
    EXPECT_EQ(buffer[n], '\0');
    return buffer.substr(0, n);
}

TEST(IniReader, NamesAreCaseBlindAndBlanksTrimmed) {
    std::string text = "  [ Dialog ]  \r\n  idc_Button =  Merge it  \r\n";
    EXPECT_EQ(FindProfileValue(text, "DIALOG", "IDC_BUTTON"), "Merge it");
    EXPECT_EQ(FindProfileValue(text, "dialog", "idc_button"), "Merge it");
}

TEST(IniReader, FirstKeyAndFirstSectionWin) {
    std::string text = "[A]\nk=1\nk=2\n[B]\nx=3\n[a]\nk=4\ny=5\n";
    EXPECT_EQ(FindProfileValue(text, "A", "k"), "1");
    EXPECT_EQ(FindProfileValue(text, "A", "y"), std::nullopt);  // only the first [A] counts
    EXPECT_EQ(FindProfileValue(text, "B", "x"), "3");
}

TEST(IniReader, KeyUnderAnotherSectionIsNotFound) {
    std::string text = "[STRING]\nIDC_BUTTON_CONVERT=Join\n[DIALOG]\n";
    EXPECT_EQ(FindProfileValue(text, "DIALOG", "IDC_BUTTON_CONVERT"), std::nullopt);
    EXPECT_EQ(FindProfileValue(text, "MENU", "IDC_BUTTON_CONVERT"), std::nullopt);
    EXPECT_EQ(FindProfileValue("k=v\n", "S", "k"), std::nullopt);  // no section at all
}

TEST(IniReader, CommentsQuotesAndOddLines) {
    std::string text =
        "[S]\n; k=commented\nk=\"quoted value\"\nq='single'\nm=\"mixed'\nnoequals\n"
        "e=\n;z=1\ninner=a \"b\" c ; not a comment\n";
    EXPECT_EQ(FindProfileValue(text, "S", "k"), "quoted value");
    EXPECT_EQ(FindProfileValue(text, "S", "q"), "single");
    EXPECT_EQ(FindProfileValue(text, "S", "m"), "\"mixed'");
    EXPECT_EQ(FindProfileValue(text, "S", "e"), "");
    EXPECT_EQ(FindProfileValue(text, "S", "z"), std::nullopt);
    EXPECT_EQ(FindProfileValue(text, "S", "inner"), "a \"b\" c ; not a comment");
}

TEST(IniReader, DecodesByteOrderMarks) {
    EXPECT_EQ(platform::DecodeProfileText("\xEF\xBB\xBF[S]"), "[S]");
    // "[S]\nk=Ж€😀" as UTF-16LE and BE with BOMs.
    std::u16string wide = u"[S]\nk=\u0416\u20AC\U0001F600";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char16_t u : wide) {
        le += static_cast<char>(u & 0xFF);
        le += static_cast<char>(u >> 8);
        be += static_cast<char>(u >> 8);
        be += static_cast<char>(u & 0xFF);
    }
    const std::string utf8 = "[S]\nk=\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(platform::DecodeProfileText(le), utf8);
    EXPECT_EQ(platform::DecodeProfileText(be), utf8);
    // A lone surrogate and an odd trailing byte do not break the rest.
    EXPECT_EQ(platform::DecodeProfileText(std::string("\xFF\xFE\x00\xD8\x41\x00\x42", 7)),
              "\xEF\xBF\xBD"
              "A");
}

TEST(IniReader, MissingFileSectionOrKeyGivesDefault) {
    TempFolder dir;
    std::string path = dir.Write("a.ini", "[S]\nk=v\n");
    EXPECT_EQ(Read(path, "S", "k", "d"), "v");
    EXPECT_EQ(Read(path, "S", "x", "d"), "d");
    EXPECT_EQ(Read(path, "T", "k", "d"), "d");
    EXPECT_EQ(Read(dir.Path() + "/none.ini", "S", "k", "d  "), "d");  // default's blanks go
    EXPECT_EQ(Read(dir.Path(), "S", "k", "d"), "d");                  // a folder is no file
    std::string fifo = dir.Path() + "/fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Read(fifo, "S", "k", "d"), "d");  // and a FIFO neither: no wait for a writer
}

TEST(IniReader, LongValuesAreCutToTheBuffer) {
    TempFolder dir;
    std::string path = dir.Write(
        "a.ini", "[S]\nk=" + std::string(3000, 'a') + "\nj=" + std::string(2047, 'b') + "\n");
    EXPECT_EQ(Read(path, "S", "k"), std::string(2047, 'a'));
    EXPECT_EQ(Read(path, "S", "j"), std::string(2047, 'b'));
    EXPECT_EQ(Read(path, "S", "k", "", 1), "");
    char untouched = 'X';
    EXPECT_EQ(platform::ReadProfileString("S", "k", "", &untouched, 0, path.c_str()), 0u);
    EXPECT_EQ(untouched, 'X');
}

TEST(IniReader, CutNeverSplitsAUtf8Character) {
    TempFolder dir;
    // 2046 bytes, then a 2-byte and a 3-byte character straddling the 2047-byte limit.
    std::string path = dir.Write("a.ini", "[S]\nk=" + std::string(2046, 'a') + "\xC3\xA9!\n" +
                                              "j=" + std::string(2045, 'a') + "\xE2\x82\xAC\n");
    EXPECT_EQ(Read(path, "S", "k"), std::string(2046, 'a'));
    EXPECT_EQ(Read(path, "S", "j"), std::string(2045, 'a'));
}

TEST(IniReader, FileNameIsFoundIgnoringCase) {
    TempFolder dir;
    dir.Write("language/English.ini", "[S]\nk=v\n");
    EXPECT_EQ(Read(dir.Path() + "/language/ENGLISH.ini", "S", "k"), "v");
    EXPECT_EQ(Read(dir.Path() + "/language/english.INI", "S", "k"), "v");
    EXPECT_EQ(Read(dir.Path() + "/LANGUAGE/English.ini", "S", "k", "d"), "d");  // folders exact
}

TEST(IniReader, Win32ShapeReturnsCopiedLength) {
    TempFolder dir;
    std::string path = dir.Write("a.ini", "[S]\nk=hello\n");
    char buffer[4];
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, sizeof buffer, path.c_str()), 3u);
    EXPECT_STREQ(buffer, "hel");
}

}  // namespace
