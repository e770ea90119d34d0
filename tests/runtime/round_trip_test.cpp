// What the reader says about a stream is what it says again after the writer has copied it.

#include <gtest/gtest.h>

#include <filesystem>

#include "test_files.h"

namespace {

// The values a file declares in Extended Stream Properties, languages as text.
struct Declared {
    uint32_t dataBitrate, initialFullness, altDataBitrate, altBufferSize, altInitialFullness, flags;
    std::vector<std::pair<std::u16string, std::u16string>> names;
    bool operator==(const Declared&) const = default;
};

Declared DeclaredBy(const wm::StreamDescription& d) {
    const asf::ExtendedStreamProperties& e = *d.extended;
    Declared out{e.dataBitrate,
                 e.initialBufferFullness,
                 e.altDataBitrate,
                 e.altBufferSize,
                 e.altInitialBufferFullness,
                 e.flags,
                 {}};
    for (const auto& n : e.names)
        out.names.push_back(
            {n.languageIndex < d.languages.size() ? d.languages[n.languageIndex] : u"", n.name});
    return out;
}

void ExpectSameStreams(const std::vector<wm::StreamDescription>& before,
                       const std::vector<wm::StreamDescription>& after) {
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const wm::StreamDescription& a = before[i];
        const wm::StreamDescription& b = after[i];
        SCOPED_TRACE("stream " + std::to_string(a.number));
        EXPECT_EQ(b.number, a.number);
        EXPECT_EQ(b.bufferWindow, a.bufferWindow);
        EXPECT_EQ(b.bitrate, a.bitrate);
        EXPECT_EQ(b.avgTimePerFrame, a.avgTimePerFrame);
        EXPECT_EQ(b.vbr, a.vbr);
        EXPECT_EQ(b.Language(), a.Language());
        const WM_MEDIA_TYPE& x = a.type.head;
        const WM_MEDIA_TYPE& y = b.type.head;
        EXPECT_TRUE(y.majortype == x.majortype && y.subtype == x.subtype &&
                    y.formattype == x.formattype);
        EXPECT_EQ(y.bFixedSizeSamples, x.bFixedSizeSamples);
        EXPECT_EQ(y.bTemporalCompression, x.bTemporalCompression);
        EXPECT_EQ(y.lSampleSize, x.lSampleSize);
        EXPECT_EQ(y.cbFormat, x.cbFormat);
        EXPECT_EQ(b.type.format, a.type.format);
        ASSERT_EQ(b.aspectRatio.size(), a.aspectRatio.size());
        for (size_t k = 0; k < a.aspectRatio.size(); ++k) {
            EXPECT_EQ(b.aspectRatio[k].name, a.aspectRatio[k].name);
            EXPECT_EQ(b.aspectRatio[k].value, a.aspectRatio[k].value);
        }
        if (a.extended) {
            ASSERT_TRUE(b.extended);
            EXPECT_TRUE(DeclaredBy(b) == DeclaredBy(a));
        } else if (b.extended) {
            EXPECT_EQ(b.extended->dataBitrate, a.bitrate)
                << "a bit rate the source did not declare";
        }
    }
}

std::vector<TestSample> SamplesOf(const std::vector<uint8_t>& file) {
    std::vector<TestSample> out;
    for (Event& e : ReadTestFile(file, 10000000))
        if (e.kind == Event::Sample)
            out.push_back({e.stream, e.time, (e.flags & WM_SF_CLEANPOINT) != 0, std::move(e.data)});
    return out;
}

// Every sample file, copied; then copied again with every buffer window grown as a join grows
// them, which moves the preroll away from some streams' windows.
TEST(RoundTrip, ACopyDescribesEveryStreamAsItsSourceDoes) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SPLICORA_TEST_DATA)) {
        std::string ext = entry.path().extension().string();
        if (ext != ".wmv" && ext != ".wma" && ext != ".asf") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        std::vector<uint8_t> source = ReadWholeFile(entry.path().string());
        std::vector<wm::StreamDescription> before = DescribeTestFile(source);
        ASSERT_FALSE(before.empty());
        std::vector<TestSample> samples = SamplesOf(source);
        std::vector<uint8_t> copy = WriteTestFile(samples, before);
        ExpectSameStreams(before, DescribeTestFile(copy));

        std::vector<wm::StreamDescription> grown = before;
        for (size_t i = 0; i < grown.size(); ++i) grown[i].bufferWindow += 1000 * DWORD(i);
        ExpectSameStreams(grown, DescribeTestFile(WriteTestFile(samples, grown)));
    }
    EXPECT_GE(files, 9);
}

}  // namespace
