// Audio spread: scrambled objects back in plain chunk order, and which error correction data
// describes a spread.

#include "asf/audio_spread.h"

#include <gtest/gtest.h>

#include "asf/asf_guids.h"
#include "test_files.h"

namespace {

// Plain chunk k stored at (k mod span) * (packet / chunk) + k / span, as a spreading writer does.
std::vector<uint8_t> Scramble(const std::vector<uint8_t>& plain, int span, int packet, int chunk) {
    std::vector<uint8_t> stored(plain.size());
    for (size_t k = 0; k < plain.size() / chunk; ++k) {
        size_t at = (k % span) * (packet / chunk) + k / span;
        std::copy_n(plain.begin() + k * chunk, chunk, stored.begin() + at * chunk);
    }
    return stored;
}

asf::StreamProperties Stream(const asf::Guid& type, const asf::Guid& correction,
                             std::vector<uint8_t> data) {
    asf::StreamProperties s;
    s.streamType = type;
    s.errorCorrectionType = correction;
    s.errorCorrection = std::move(data);
    return s;
}

std::vector<uint8_t> SpreadData(uint8_t span, uint16_t packet, uint16_t chunk) {
    return {span, uint8_t(packet), uint8_t(packet >> 8), uint8_t(chunk), uint8_t(chunk >> 8), 1, 0,
            0};
}

TEST(AudioSpread, ObjectsInRunsOfAnyLengthComeBackPlain) {
    for (int span : {2, 4, 8}) {
        const int packet = 21, chunk = 7;
        std::vector<uint8_t> plain(span * packet);
        for (size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 5 + 1);
        std::vector<uint8_t> stored = Scramble(plain, span, packet, chunk);
        ASSERT_NE(stored, plain);
        // One run, and runs that cut chunks (the fragments of packets).
        for (uint32_t cut : {uint32_t(stored.size()), 5u, 11u}) {
            std::vector<asf::SamplePiece> runs;
            for (uint32_t at = 0; at < stored.size(); at += cut)
                runs.push_back({stored.data() + at, std::min<uint32_t>(cut, stored.size() - at)});
            asf::AudioSpread spread{uint8_t(span), uint16_t(packet), uint16_t(chunk)};
            std::vector<uint8_t> out;
            ASSERT_TRUE(asf::Descramble(spread, runs.data(), runs.size(), out));
            EXPECT_EQ(out, plain) << "span " << span << ", runs of " << cut;
        }
    }
}

TEST(AudioSpread, AnObjectOfAnotherSizeIsLeftAlone) {
    std::vector<uint8_t> bytes(41, 9), out{1, 2};
    asf::SamplePiece run{bytes.data(), uint32_t(bytes.size())};
    EXPECT_FALSE(asf::Descramble({2, 21, 7}, &run, 1, out));
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 2}));
}

TEST(AudioSpread, ErrorCorrectionDataSaysWhetherStreamIsSpread) {
    using asf::SpreadKind;
    const asf::Guid audio = asf::guids::kAudioMedia, spread = asf::guids::kAudioSpread;
    asf::AudioSpread s;
    EXPECT_EQ(ReadAudioSpread(Stream(audio, spread, SpreadData(4, 1600, 200)), &s),
              SpreadKind::Spread);
    EXPECT_EQ(s.ObjectSize(), 6400u);
    EXPECT_EQ(s.chunkLength, 200);
    struct Case {
        asf::StreamProperties stream;
        SpreadKind kind;
    } cases[] = {
        {Stream(audio, spread, SpreadData(1, 1600, 200)), SpreadKind::None},
        {Stream(audio, asf::guids::kNoErrorCorrection, SpreadData(4, 1600, 200)), SpreadKind::None},
        {Stream(asf::guids::kVideoMedia, spread, SpreadData(4, 1600, 200)), SpreadKind::None},
        {Stream(audio, spread, SpreadData(4, 1600, 0)), SpreadKind::Invalid},
        {Stream(audio, spread, SpreadData(4, 1600, 300)), SpreadKind::Invalid},
        {Stream(audio, spread, SpreadData(4, 200, 200)), SpreadKind::Invalid},
        {Stream(audio, spread, SpreadData(0, 1600, 200)), SpreadKind::Invalid},
        {Stream(audio, spread, {4, 64, 6}), SpreadKind::Invalid},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAudioSpread(c.stream, &s), c.kind);
}

// Audio written spread: objects fragmented over packets, some over two of the reader's blocks,
// come out plain; one of another size comes out as stored.
TEST(AudioSpread, ReaderHandsOutPlainObjects) {
    const int span = 4, packet = 3000, chunk = 1000;
    std::vector<TestSample> samples;
    std::vector<std::vector<BYTE>> plain;
    for (size_t i = 0; i < 90; ++i) {  // about 1 MiB, four blocks
        std::vector<BYTE> bytes(i == 30 ? 11000 : span * packet);
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = BYTE(i * 31 + k * 7 + (k >> 8));
        plain.push_back(bytes);
        samples.push_back(
            {2, i * 1000000, true, i == 30 ? bytes : Scramble(bytes, span, packet, chunk)});
        samples.push_back(
            {1, i * 1000000 + 1, i % 10 == 0, std::vector<BYTE>(700 + i * 13, BYTE(i))});
    }
    std::vector<uint8_t> file = WriteTestFile(samples);
    ASSERT_FALSE(file.empty());
    const size_t headerSize = asf::ByteReader(file.data() + 16, 8).U64();
    asf::AsfHeader header;
    std::string error;
    ASSERT_TRUE(header.Parse({file.begin(), file.begin() + headerSize}, error)) << error;
    for (asf::StreamProperties& s : header.streams)
        if (s.Number() == 2) {
            s.errorCorrectionType = asf::guids::kAudioSpread;
            s.errorCorrection = SpreadData(span, packet, chunk);
        }
    std::vector<uint8_t> spread = header.Render(0);
    spread.insert(spread.end(), file.begin() + headerSize, file.end());

    std::vector<std::vector<BYTE>> read;
    for (const Event& e : ReadTestFile(std::move(spread), 0))
        if (e.kind == Event::Sample && e.stream == 2) read.push_back(e.data);
    ASSERT_EQ(read.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(read[i], plain[i]) << "object " << i;
}

}  // namespace
