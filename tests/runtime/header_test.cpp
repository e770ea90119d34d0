// Header parsing and rendering: round trips, and headers that lie.

#include "asf/header.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "asf/asf_guids.h"
#include "test_files.h"

namespace {

std::vector<uint8_t> HeaderBytes(const std::vector<uint8_t>& file) {
    asf::ByteReader r(file);
    r.ReadGuid();
    uint64_t size = r.U64();
    return std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(size));
}

TEST(Header, RenderThenParseKeepsEveryObject) {
    std::vector<uint8_t> file = ReadWholeFile(SPLICORA_TEST_DATA "/two_audio.wmv");
    asf::AsfHeader h;
    std::string error;
    ASSERT_TRUE(h.Parse(HeaderBytes(file), error)) << error;
    std::vector<uint8_t> rendered = h.Render(100);
    asf::AsfHeader again;
    ASSERT_TRUE(again.Parse(rendered, error)) << error;

    ASSERT_EQ(again.streams.size(), h.streams.size());
    for (size_t i = 0; i < h.streams.size(); ++i) {
        EXPECT_EQ(again.streams[i].typeSpecific, h.streams[i].typeSpecific);
        EXPECT_EQ(again.streams[i].flags, h.streams[i].flags);
    }
    EXPECT_EQ(again.extended.size(), h.extended.size());
    EXPECT_EQ(again.metadata.size(), h.metadata.size());
    EXPECT_EQ(again.codecs.size(), h.codecs.size());
    ASSERT_TRUE(again.languages.has_value());
    EXPECT_EQ(again.languages->languages, h.languages->languages);
    EXPECT_EQ(again.paddingSize, 100u);
    EXPECT_EQ(again.file.preroll, h.file.preroll);
    // Rendering is stable: the same model gives the same bytes.
    EXPECT_EQ(again.Render(100), rendered);
}

TEST(Header, MarkersScriptsAndAttributesRoundTrip) {
    asf::AsfHeader h = OneStreamHeader();
    h.markers.markers.push_back({0, 31000000, 0, 0, u"Intro"});
    h.scripts.push_back({3500, u"URL", u"http://example.org/"});
    h.scripts.push_back({4000, u"TEXT", u"hello"});
    h.scripts.push_back({4500, u"URL", u"http://example.org/2"});
    h.content = asf::ContentDescription{u"T", u"A", u"", u"", u""};
    h.extendedContent.push_back({0, 0, u"WM/Genre", 0, {'G', 0, 0, 0}});
    h.metadataLibrary.push_back({1, 1, u"Big", 1, std::vector<uint8_t>(70000, 7)});
    std::vector<uint8_t> bytes = h.Render(0);
    asf::AsfHeader again;
    std::string error;
    ASSERT_TRUE(again.Parse(bytes, error)) << error;
    ASSERT_EQ(again.markers.markers.size(), 1u);
    EXPECT_EQ(again.markers.markers[0].description, u"Intro");
    ASSERT_EQ(again.scripts.size(), 3u);
    EXPECT_EQ(again.scripts[2].type, u"URL");
    EXPECT_EQ(again.scripts[1].command, u"hello");
    EXPECT_EQ(again.content->author, u"A");
    ASSERT_EQ(again.metadataLibrary.size(), 1u);
    EXPECT_EQ(again.metadataLibrary[0].value.size(), 70000u);
    EXPECT_EQ(again.metadataLibrary[0].language, 1);
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

TEST(Header, HeadersThatLieAreRefused) {
    std::vector<uint8_t> file = ReadWholeFile(SPLICORA_TEST_DATA "/audio_only.wma");
    std::vector<uint8_t> header = HeaderBytes(file);
    std::string error;
    asf::AsfHeader ok;
    ASSERT_TRUE(ok.Parse(header, error)) << error;

    auto refused = [&](const std::vector<uint8_t>& bytes) {
        asf::AsfHeader h;
        std::string why;
        bool parsed = h.Parse(bytes, why);
        return !parsed && !why.empty();
    };
    EXPECT_TRUE(refused(Patched(header, 24, 3000000, 4)));             // object count
    EXPECT_TRUE(refused(Patched(header, 30 + 16, 0, 8)));              // first child size 0
    EXPECT_TRUE(refused(Patched(header, 30 + 16, header.size(), 8)));  // child beyond header
    EXPECT_TRUE(refused(Patched(header, 16, header.size() + 1, 8)));   // header size
    EXPECT_TRUE(refused(std::vector<uint8_t>(header.begin(), header.begin() + 40)));
    std::vector<uint8_t> notAsf = header;
    notAsf[0] ^= 0xFF;
    EXPECT_TRUE(refused(notAsf));
}

// Every kept regression file: the header damage is refused, data damage still opens.
TEST(Header, RegressionFilesMeetTheirExpectation) {
    std::ifstream list(SPLICORA_REGRESS_DATA "/expected.tsv");
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string name, expected;
        if (!(fields >> name >> expected) || name[0] == '#') continue;
        if (expected != "refused" && expected != "damaged_read") continue;
        asf::MemorySource source(ReadWholeFile(SPLICORA_REGRESS_DATA "/" + name));
        asf::AsfHeader h;
        asf::AsfLayout layout;
        std::string error;
        bool read = asf::ReadAsfStructure(source, h, layout, error);
        EXPECT_EQ(read, expected == "damaged_read") << name << ": " << error;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

}  // namespace
