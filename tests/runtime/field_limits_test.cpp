// Counts and lengths that do not fit their fields are refused, never cut: in rendering a header,
// in the header calls, in the writer and the editor, and in the packet writer.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "asf/asf_guids.h"
#include "asf/header.h"
#include "asf/packet_writer.h"
#include "test_files.h"
#include "wm/file_error.h"
#include "wm/header_store.h"
#include "wm/metadata_editor.h"
#include "wm/writer.h"

namespace {

asf::AsfHeader SmallHeader() {
    asf::AsfHeader h = OneStreamHeader();
    asf::ExtendedStreamProperties e;
    e.streamNumber = 1;
    h.extended.push_back(e);
    return h;
}

std::u16string Chars(size_t n) { return std::u16string(n, u'x'); }

TEST(FieldLimits, RenderRefusesEveryLengthAndCountThatDoesNotFit) {
    using Change = std::function<void(asf::AsfHeader&, size_t extra)>;
    // Each field at its largest (extra 0) and one past it (extra 1).
    const std::vector<std::pair<Change, std::string>> fields = {
        {[](asf::AsfHeader& h, size_t x) {
             h.content = asf::ContentDescription{Chars(32766 + x), u"", u"", u"", u""};
         },
         "a title"},
        {[](asf::AsfHeader& h, size_t x) {
             h.extendedContent.push_back({0, 0, Chars(32766 + x), 1, {1}});
         },
         "an attribute's name"},
        {[](asf::AsfHeader& h, size_t x) {
             h.extendedContent.push_back({0, 0, u"A", 1, std::vector<uint8_t>(65535 + x)});
         },
         "an attribute's value"},
        {[](asf::AsfHeader& h, size_t x) {
             h.extendedContent.resize(65535 + x, {0, 0, u"A", 1, {1}});
         },
         "the number of attributes"},
        {[](asf::AsfHeader& h, size_t x) {
             h.metadataLibrary.push_back({0, 1, Chars(32766 + x), 1, {1}});
         },
         "an attribute's name"},
        {[](asf::AsfHeader& h, size_t x) {
             h.codecs.push_back({2, Chars(65534 + x), u"", {}});
         },
         "a codec's name"},
        {[](asf::AsfHeader& h, size_t x) {
             h.codecs.push_back({2, u"", u"", std::vector<uint8_t>(65535 + x)});
         },
         "a codec's information"},
        {[](asf::AsfHeader& h, size_t x) {
             h.scripts.push_back({0, Chars(65534 + x), u"c"});
         },
         "a script's type"},
        {[](asf::AsfHeader& h, size_t x) {
             h.scripts.push_back({0, u"URL", Chars(65534 + x)});
         },
         "a script's command"},
        {[](asf::AsfHeader& h, size_t x) {
             h.markers.markers.push_back({0, 0, 0, 0, Chars(32760 + x)});
         },
         "a marker's name"},
        {[](asf::AsfHeader& h, size_t x) {
             h.extended[0].names.push_back({0, Chars(32766 + x)});
         },
         "a stream's name"},
        {[](asf::AsfHeader& h, size_t x) {
             h.scripts.resize(65535 + x, {0, u"U", u"c"});
         },
         "the number of scripts"},
        {[](asf::AsfHeader& h, size_t x) {
             h.bitrates.resize(65535 + x, {1, 1000});
         },
         "the number of stream bit rates"},
        {[](asf::AsfHeader& h, size_t x) {
             h.extended[0].names.resize(65535 + x, {0, u"n"});
         },
         "the number of a stream's names"},
        {[](asf::AsfHeader& h, size_t x) { h.languages = asf::LanguageList{{Chars(126 + x)}}; },
         "a language's name"},
        {[](asf::AsfHeader& h, size_t x) {
             h.metadataLibrary.push_back(
                 {0, 1, u"Big", 1, std::vector<uint8_t>(asf::kMaxHeaderSize - 1000 + x * 2000)});
         },
         "larger than 64 MiB"},
    };
    for (const auto& [change, what] : fields) {
        asf::AsfHeader fits = SmallHeader(), over = SmallHeader();
        change(fits, 0);
        change(over, 1);
        std::string why;
        std::vector<uint8_t> bytes = fits.Render(0, &why);
        ASSERT_FALSE(bytes.empty()) << what << ": " << why;
        asf::AsfHeader back;
        ASSERT_TRUE(back.Parse(bytes, why)) << what << ": " << why;
        EXPECT_EQ(back.Render(0), bytes) << what;  // nothing was cut
        EXPECT_TRUE(over.Render(0, &why).empty()) << what;
        EXPECT_NE(why.find(what), std::string::npos) << why;
    }
}

TEST(FieldLimits, HeaderCallsRefuseWhatTheHeaderCannotHold) {
    wm::HeaderStore store;
    store.header = SmallHeader();
    const std::u16string longest = Chars(wm::HeaderStore::kMaxMarkerNameChars);
    EXPECT_EQ(store.AddMarker(longest.c_str(), 0), S_OK);
    EXPECT_EQ(store.AddMarker((longest + u"x").c_str(), 0), E_ARITHMETIC_OVERFLOW);
    for (int i = 1; i < 0xFFFF; ++i) ASSERT_EQ(store.AddMarker(u"m", QWORD(i)), S_OK);
    EXPECT_EQ(store.AddMarker(u"one too many", 0), E_ARITHMETIC_OVERFLOW);
    WORD count = 0;
    EXPECT_EQ(store.GetMarkerCount(&count), S_OK);
    EXPECT_EQ(count, 0xFFFF);
    store.header.markers.markers.emplace_back();  // as read from a file
    EXPECT_EQ(store.GetMarkerCount(&count), E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(count, 0xFFFF);

    for (int i = 0; i < 0xFFFF; ++i) ASSERT_EQ(store.AddScript(u"URL", u"u", QWORD(i)), S_OK);
    EXPECT_EQ(store.AddScript(u"URL", u"u", 0), E_ARITHMETIC_OVERFLOW);
    store.header.scripts.clear();
    EXPECT_EQ(store.AddScript(u"URL", Chars(65535).c_str(), 0), E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(store.AddScript(Chars(65535).c_str(), u"u", 0), E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(store.AddCodecInfo(Chars(65535).c_str(), u"", WMT_CODECINFO_AUDIO, 0, nullptr),
              E_ARITHMETIC_OVERFLOW);

    // A string of 32,767 characters takes 65,536 bytes with its terminator.
    std::vector<BYTE> text(65534, 'a');
    EXPECT_EQ(store.SetAttribute(0, u"Title", WMT_TYPE_STRING, text.data(), WORD(text.size())),
              E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(store.SetAttribute(0, u"WM/Text", WMT_TYPE_STRING, text.data(), WORD(text.size())),
              E_ARITHMETIC_OVERFLOW);
    BYTE one = 1;
    EXPECT_EQ(store.SetAttribute(0, Chars(32767).c_str(), WMT_TYPE_BINARY, &one, 1),
              E_ARITHMETIC_OVERFLOW);
    store.header.markers.markers.pop_back();
    std::string why;
    EXPECT_FALSE(store.header.Render(0, &why).empty()) << why;  // what the calls let in fits

    // A carried value past a WORD: no length is cut, the call fails and names the type.
    store.header.metadataLibrary.push_back({0, 0, u"Cover", 1, std::vector<uint8_t>(70000, 1)});
    store.header.metadataLibrary.push_back({0, 0, u"Fits", 1, std::vector<uint8_t>(65535, 2)});
    WORD stream = 0, length = 0;
    WMT_ATTR_DATATYPE type{};
    EXPECT_EQ(store.GetAttributeByName(&stream, u"Cover", &type, nullptr, &length),
              E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(store.GetAttributeByName(&stream, u"Fits", &type, nullptr, &length), S_OK);
    EXPECT_EQ(length, 0xFFFF);
}

TEST(FieldLimits, WriterAndEditorRefuseAHeaderTheFormatCannotHoldAndWriteNothing) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "splicora_field_limits";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::u16string command = Chars(65534);  // 520 of them pass 64 MiB
    TestProfile profile(TestStreams());
    wm::ComPtr<IWMWriter> writer;
    wm::ComPtr<IWMHeaderInfo> header;
    ASSERT_EQ(WMCreateWriter(nullptr, writer.Out()), S_OK);
    ASSERT_EQ(writer.As(header), S_OK);
    writer->SetProfile(&profile);
    writer->SetOutputFilename((dir / "out.wmv").u16string().c_str());
    writer->SetInputProps(0, nullptr);
    writer->SetInputProps(1, nullptr);
    for (int i = 0; i < 520; ++i) ASSERT_EQ(header->AddScript(u"TEXT", command.c_str(), 0), S_OK);
    EXPECT_EQ(writer->BeginWriting(), E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(wm::FileErrorText(writer.Get()),
              (dir / "out.wmv").string() + ": the header would be larger than 64 MiB");
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    header.Reset();
    writer.Reset();

    // The editor likewise leaves the file as it was.
    const std::string path = (dir / "file.wmv").string();
    std::vector<uint8_t> original = WriteTestFile({{1, 0, true, std::vector<BYTE>(100, 1)}});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(original.data()), original.size());
    auto* editor = new wm::CMetadataEditor();
    ASSERT_EQ(editor->Open(std::filesystem::path(path).u16string().c_str()), S_OK);
    for (int i = 0; i < 520; ++i) ASSERT_EQ(editor->AddScript(u"TEXT", command.c_str(), 0), S_OK);
    EXPECT_EQ(editor->Flush(), E_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(wm::FileErrorText(static_cast<IWMMetadataEditor*>(editor)),
              path + ": the header would be larger than 64 MiB");
    editor->Close();
    editor->Release();
    EXPECT_EQ(ReadWholeFile(path), original);
    std::filesystem::remove_all(dir);
}

TEST(FieldLimits, PacketsTheirWordFieldsCannotDescribeAreNotWritten) {
    const uint8_t byte = 1;
    for (uint32_t size : {31u, 0x10000u}) {  // no room for a payload; a WORD padding length
        asf::MemorySink sink;
        asf::PacketWriter packets(sink, size, 0, {});
        EXPECT_FALSE(packets.AddSample(1, 0, 0, true, &byte, 1)) << size;
        EXPECT_EQ(packets.PacketCount(), 0u);
    }
    asf::MemorySink sink;
    asf::PacketWriter packets(sink, 32, 0, {});
    EXPECT_TRUE(packets.AddSample(1, 0, 0, true, &byte, 1));
}

TEST(FieldLimits, APrerollPastThirtyTwoBitsIsRefused) {
    for (uint64_t preroll : {uint64_t(UINT32_MAX), uint64_t(UINT32_MAX) + 1}) {
        asf::AsfHeader h = SmallHeader(), back;
        h.file.preroll = preroll;
        std::string error;
        EXPECT_EQ(back.Parse(h.Render(0), error), preroll <= UINT32_MAX) << error;
    }
}

}  // namespace
