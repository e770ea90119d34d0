// The metadata editor: edits in place, rewrites when the header outgrows its padding, and never
// leaves a half-written file.

#include "wm/metadata_editor.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "asf/header.h"
#include "platform/temp_folder.h"
#include "test_files.h"

namespace {

class MetadataEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(m_dir.empty());
        m_path = (m_dir / "file.wmv").string();
        std::vector<TestSample> samples;
        for (int i = 0; i < 40; ++i)
            samples.push_back(
                {1, QWORD(i) * 1000000, i % 10 == 0, std::vector<BYTE>(2000, BYTE(i))});
        m_original = WriteTestFile(samples);
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(m_original.data()), m_original.size());
    }
    uint64_t HeaderSize(const std::vector<uint8_t>& file) {
        asf::ByteReader r(file);
        r.ReadGuid();
        return r.U64();
    }
    // Everything from the data object on.
    std::vector<uint8_t> Body(const std::vector<uint8_t>& file) {
        return std::vector<uint8_t>(file.begin() + static_cast<long>(HeaderSize(file)), file.end());
    }
    wm::CMetadataEditor* Open() {
        auto* editor = new wm::CMetadataEditor();
        EXPECT_EQ(editor->Open(std::filesystem::path(m_path).u16string().c_str()), S_OK);
        return editor;
    }

    TempFolder m_temp;
    std::filesystem::path m_dir = m_temp.Path();
    std::string m_path;
    std::vector<uint8_t> m_original;
};

TEST_F(MetadataEditorTest, SmallEditsStayInPlaceAndMarkersStaySorted) {
    wm::CMetadataEditor* editor = Open();
    EXPECT_EQ(editor->AddMarker(u"Second", 20000000), S_OK);
    EXPECT_EQ(editor->AddMarker(u"First", 5000000), S_OK);
    EXPECT_EQ(editor->AddScript(u"URL", u"http://example.org/", 10000000), S_OK);
    const char16_t title[] = u"New title";
    EXPECT_EQ(editor->SetAttribute(0, u"Title", WMT_TYPE_STRING,
                                   reinterpret_cast<const BYTE*>(title), sizeof title),
              S_OK);
    EXPECT_EQ(editor->Flush(), S_OK);
    EXPECT_EQ(editor->Close(), S_OK);
    editor->Release();

    std::vector<uint8_t> edited = ReadWholeFile(m_path);
    EXPECT_EQ(edited.size(), m_original.size());
    EXPECT_EQ(Body(edited), Body(m_original));

    editor = Open();
    WORD count = 0;
    editor->GetMarkerCount(&count);
    ASSERT_EQ(count, 2);
    WCHAR name[32];
    WORD length = 32;
    QWORD time = 0;
    ASSERT_EQ(editor->GetMarker(0, name, &length, &time), S_OK);
    EXPECT_EQ(std::u16string(name), u"First");
    EXPECT_EQ(time, 5000000u);
    WORD stream = 0;
    WMT_ATTR_DATATYPE type;
    BYTE value[64];
    WORD size = sizeof value;
    ASSERT_EQ(editor->GetAttributeByName(&stream, u"Title", &type, value, &size), S_OK);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(value)), u"New title");
    editor->GetScriptCount(&count);
    EXPECT_EQ(count, 1);
    editor->Close();
    editor->Release();
}

TEST_F(MetadataEditorTest, AFlushThatChangesNothingLeavesTheFileAsItWas) {
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    std::filesystem::last_write_time(m_path, old);
    wm::CMetadataEditor* editor = Open();
    EXPECT_EQ(editor->Flush(), S_OK);
    EXPECT_EQ(editor->Close(), S_OK);
    editor->Release();
    EXPECT_EQ(ReadWholeFile(m_path), m_original);
    EXPECT_EQ(std::filesystem::last_write_time(m_path), old);
}

TEST_F(MetadataEditorTest, EditsBeyondThePaddingRewriteTheFileKeepingEverySample) {
    wm::CMetadataEditor* editor = Open();
    std::u16string longName(100, u'm');
    for (int i = 0; i < 300; ++i) editor->AddMarker(longName.c_str(), QWORD(i) * 100000);
    EXPECT_EQ(editor->Flush(), S_OK);
    editor->Close();
    editor->Release();

    std::vector<uint8_t> edited = ReadWholeFile(m_path);
    EXPECT_GT(edited.size(), m_original.size());
    EXPECT_EQ(Body(edited), Body(m_original));
    asf::MemorySource source(edited);
    asf::AsfHeader h;
    asf::AsfLayout layout;
    std::string error;
    ASSERT_TRUE(asf::ReadAsfStructure(source, h, layout, error)) << error;
    EXPECT_EQ(h.markers.markers.size(), 300u);
    EXPECT_EQ(h.file.fileSize, edited.size());
    EXPECT_EQ(ReadTestFile(edited, 10000000).size(), ReadTestFile(m_original, 10000000).size());
}

// Files of this process cannot grow past bytes while it lives, as on a disk that fills up.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_signal = signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_signal);
    }
    bool Set() const { return m_set; }

  private:
    rlimit m_saved{};
    sighandler_t m_signal;
    bool m_set = false;
};

TEST_F(MetadataEditorTest, AFailureDuringARewriteLeavesTheOriginal) {
    wm::CMetadataEditor* editor = Open();
    std::u16string longName(100, u'm');
    for (int i = 0; i < 300; ++i) editor->AddMarker(longName.c_str(), QWORD(i) * 100000);
    {
        FileSizeLimit full(30000);
        ASSERT_TRUE(full.Set());
        EXPECT_EQ(editor->Flush(), NS_E_FILE_WRITE);
    }
    EXPECT_EQ(wm::FileErrorText(static_cast<IWMMetadataEditor*>(editor)),
              m_path + ": " + std::strerror(EFBIG));
    editor->Close();
    editor->Release();
    EXPECT_EQ(ReadWholeFile(m_path), m_original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);
}

TEST_F(MetadataEditorTest, ClosedEditorRefusesWork) {
    auto* editor = new wm::CMetadataEditor();
    WORD count;
    EXPECT_EQ(editor->GetMarkerCount(&count), NS_E_INVALID_REQUEST);
    EXPECT_EQ(editor->Flush(), NS_E_INVALID_REQUEST);
    EXPECT_EQ(editor->Open(u"/nonexistent/file.wmv"), NS_E_FILE_NOT_FOUND);
    editor->Release();
}

}  // namespace
