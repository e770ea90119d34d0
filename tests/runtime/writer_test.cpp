// The writer: what goes in comes back out, and its files keep the format's invariants.

#include "wm/writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "asf/header.h"
#include "asf/packet_parser.h"
#include "asf/packet_writer.h"
#include "platform/temp_folder.h"
#include "test_files.h"
#include "wm/file_error.h"
#include "wm/nss_buffer.h"

namespace {

std::vector<BYTE> Bytes(size_t n, BYTE seed) {
    std::vector<BYTE> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(seed + i * 7);
    return v;
}

TEST(Writer, EverySampleTimeAndFlagComesBack) {
    std::vector<TestSample> in;
    for (int i = 0; i < 120; ++i) {
        in.push_back(
            {1, QWORD(i) * 400000, i % 30 == 0, Bytes(i % 7 == 0 ? 9000 : 300 + i, BYTE(i))});
        if (i % 2 == 0) in.push_back({2, QWORD(i) * 400000 + 1000, false, Bytes(185, BYTE(i + 1))});
    }
    in.push_back({1, 480000000, false, Bytes(70000, 3)});  // spans many packets
    std::vector<Event> out = ReadTestFile(WriteTestFile(in), 10000000);
    std::vector<Event> samples;
    for (Event& e : out)
        if (e.kind == Event::Sample) samples.push_back(e);
    ASSERT_EQ(samples.size(), in.size());
    // Per stream, order, times, bytes and key flags are kept.
    for (WORD stream : {1, 2}) {
        std::vector<const TestSample*> a;
        std::vector<const Event*> b;
        for (const TestSample& s : in)
            if (s.stream == stream) a.push_back(&s);
        for (const Event& e : samples)
            if (e.stream == stream) b.push_back(&e);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(b[i]->time, a[i]->time / 10000 * 10000);
            EXPECT_EQ(b[i]->data, a[i]->data);
            EXPECT_EQ((b[i]->flags & WM_SF_CLEANPOINT) != 0, a[i]->key);
            EXPECT_EQ((b[i]->flags & WM_SF_DISCONTINUITY) != 0, i == 0);
        }
    }
}

TEST(Writer, FileKeepsTheFormatInvariants) {
    std::vector<TestSample> in;
    for (int i = 0; i < 50; ++i) {
        in.push_back({1, QWORD(i) * 1000000, i % 10 == 0, Bytes(5000, BYTE(i))});
        // audio arriving slightly behind the video
        in.push_back({2, QWORD(i) * 1000000 - (i ? 300000 : 0), false, Bytes(185, BYTE(i))});
    }
    std::vector<uint8_t> file = WriteTestFile(in, 5000);
    asf::MemorySource source(file);
    asf::AsfHeader h;
    asf::AsfLayout layout;
    std::string error;
    ASSERT_TRUE(asf::ReadAsfStructure(source, h, layout, error)) << error;
    EXPECT_EQ(h.file.fileSize, file.size());
    EXPECT_EQ(h.file.preroll, 5000u);
    EXPECT_EQ(h.file.dataPacketsCount, layout.packetCount);
    // The last video frame, at 4.9 s, lasts as long as the step between frames.
    EXPECT_EQ(h.file.playDuration, 50000000u + 5000u * 10000);
    EXPECT_GE(h.paddingSize, 1024u);
    EXPECT_TRUE(h.file.flags & asf::FileProperties::kSeekable);
    ASSERT_EQ(layout.simpleIndexes.size(), 1u);
    asf::SimpleIndex index;
    ASSERT_TRUE(asf::ReadSimpleIndex(source, layout.simpleIndexes[0], index));
    for (const asf::SimpleIndex::Run& run : index.Runs())
        EXPECT_LT(run.entry.packetNumber, layout.packetCount);
    // entry i (preroll included) points at the latest key frame at or before it
    EXPECT_EQ(index.EntryCount(), 11u);  // 0 s to 10 s, preroll included

    uint32_t lastSend = 0;
    for (uint64_t i = 0; i < layout.packetCount; ++i) {
        asf::Packet p;
        ASSERT_TRUE(asf::ParsePacket(&file[layout.firstPacketOffset + i * layout.packetSize],
                                     layout.packetSize, p));
        EXPECT_GE(p.sendTime, lastSend);
        lastSend = p.sendTime;
        for (const asf::Payload& pl : p.payloads) {
            EXPECT_GE(pl.presentationTime, 5000u);
        }
    }
}

// A packet's payload count has six bits: the 64th small sample starts a second packet.
// A long index goes out in pieces; the bytes are those of the whole object, and a full disk shows.
TEST(Writer, AnIndexWrittenInPiecesIsTheRenderedObject) {
    asf::SimpleIndex index;
    for (uint32_t i = 0; i < 30000; ++i) index.Add({i / 3 * 7, uint16_t(i / 3 % 5 + 1)});
    index.Add({1, 1}, 40000);  // an idle stretch
    index.maxPacketCount = 5;
    asf::ByteWriter whole;
    index.Render(whole);
    asf::MemorySink pieces;
    ASSERT_TRUE(index.WriteTo(pieces));
    EXPECT_EQ(pieces.Bytes(), whole.Buffer());
    asf::SimpleIndex back;
    ASSERT_TRUE(
        back.Parse(asf::ByteReader(pieces.Bytes().data() + 24, pieces.Bytes().size() - 24)));
    EXPECT_EQ(back.EntryCount(), 70000u);
    EXPECT_EQ(back.Runs().size(), 10001u);
    asf::MemorySink full;
    full.FailAfter(100000);
    EXPECT_FALSE(index.WriteTo(full));
}

TEST(Writer, APacketHoldsAtMostSixtyThreePayloads) {
    std::vector<TestSample> in;
    for (int i = 0; i < 64; ++i) in.push_back({2, QWORD(i) * 10000, false, {BYTE(i)}});
    std::vector<uint8_t> file = WriteTestFile(in);
    asf::MemorySource source(file);
    asf::AsfHeader h;
    asf::AsfLayout layout;
    std::string error;
    ASSERT_TRUE(asf::ReadAsfStructure(source, h, layout, error)) << error;
    ASSERT_EQ(layout.packetCount, 2u);
    asf::Packet p;
    ASSERT_TRUE(asf::ParsePacket(&file[layout.firstPacketOffset], layout.packetSize, p));
    EXPECT_EQ(p.payloads.size(), 63u);
}

// A sample handed over in pieces (as the reader delivers fragments) makes the same packets as
// the sample in one run; pieces that hold less than the length are refused.
TEST(Writer, ASampleInPiecesMakesTheSamePacketsAsInOneRun) {
    asf::MemorySink wholeSink, piecesSink;
    asf::PacketWriter whole(wholeSink, 3200, 3000, {1});
    asf::PacketWriter pieces(piecesSink, 3200, 3000, {1});
    for (int i = 0; i < 40; ++i) {
        const std::vector<BYTE> data = Bytes(i % 5 == 0 ? 20000 : 700 + i * 97, BYTE(i));
        const uint32_t length = static_cast<uint32_t>(data.size()) - (i % 3 == 0 ? 5 : 0);
        std::vector<asf::SamplePiece> split;
        for (size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 % 4001)
            split.push_back({data.data() + at, uint32_t(std::min(step, data.size() - at))});
        split.insert(split.begin() + split.size() / 2, asf::SamplePiece{data.data(), 0});
        const QWORD time = QWORD(i) * 333333;
        ASSERT_TRUE(whole.AddSample(1, time, 0, i % 10 == 0, data.data(), length));
        ASSERT_TRUE(pieces.AddSample(1, time, 0, i % 10 == 0, split.data(), split.size(), length));
    }
    ASSERT_TRUE(whole.Finish() && pieces.Finish());
    EXPECT_GT(piecesSink.Bytes().size(), 100000u);
    EXPECT_TRUE(piecesSink.Bytes() == wholeSink.Bytes());

    const std::vector<BYTE> data = Bytes(100, 1);
    const asf::SamplePiece shortPieces[2] = {{data.data(), 40}, {data.data() + 40, 50}};
    EXPECT_FALSE(pieces.AddSample(1, 0, 0, false, shortPieces, 2, 100));
}

TEST(Writer, RefusesSamplesItCannotTake) {
    TestProfile profile(TestStreams());
    auto* writer = new wm::CWriter();
    writer->UseSink(std::make_unique<asf::MemorySink>());
    auto* sample = new wm::CNssBuffer({1, 2, 3});
    EXPECT_LT(writer->WriteStreamSample(1, 0, 0, 0, 0, sample), 0);  // no profile yet
    ASSERT_EQ(writer->SetProfile(&profile), S_OK);
    writer->SetInputProps(0, nullptr);
    writer->SetInputProps(0, nullptr);  // twice: input 1 still expects uncompressed samples
    EXPECT_LT(writer->WriteStreamSample(1, 0, 0, 0, 0, sample), 0);  // before BeginWriting
    ASSERT_EQ(writer->BeginWriting(), S_OK);
    EXPECT_EQ(writer->WriteStreamSample(1, 0, 0, 0, 0, sample), NS_E_INVALID_REQUEST);
    writer->SetInputProps(1, nullptr);
    EXPECT_EQ(writer->WriteStreamSample(1, 0, 0, 0, 0, sample), S_OK);
    EXPECT_LT(writer->WriteStreamSample(9, 0, 0, 0, 0, sample), 0);    // not in the profile
    EXPECT_LT(writer->WriteStreamSample(129, 0, 0, 0, 0, sample), 0);  // 1 in seven bits
    sample->Release();
    writer->Release();
}

TEST(Writer, OutputAppearsOnlyWhenWritingEnds) {
    TempFolder temp;
    std::filesystem::path dir = temp.Path();
    ASSERT_FALSE(dir.empty());
    std::u16string out = (dir / "out.wmv").u16string();
    TestProfile profile(TestStreams());
    auto countFiles = [&] { return std::distance(std::filesystem::directory_iterator(dir), {}); };
    for (bool finish : {false, true}) {
        wm::ComPtr<IWMWriter> writer;
        ASSERT_EQ(WMCreateWriter(nullptr, writer.Out()), S_OK);
        writer->SetProfile(&profile);
        writer->SetOutputFilename(out.c_str());
        writer->SetInputProps(0, nullptr);
        writer->SetInputProps(1, nullptr);
        ASSERT_EQ(writer->BeginWriting(), S_OK);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wmv"));
        EXPECT_EQ(countFiles(), 1);  // the temporary file
        if (finish) {
            EXPECT_EQ(writer->EndWriting(), S_OK);
        }
        writer.Reset();
        EXPECT_EQ(std::filesystem::exists(dir / "out.wmv"), finish);
        EXPECT_EQ(countFiles(), finish ? 1 : 0);
    }
    std::filesystem::remove_all(dir);
}

TEST(Writer, AFailingDiskFailsTheWriteAndLeavesNothing) {
    TestProfile profile(TestStreams());
    auto* writer = new wm::CWriter();
    auto sink = std::make_unique<asf::MemorySink>();
    sink->FailAfter(20000);
    writer->UseSink(std::move(sink));
    writer->SetProfile(&profile);
    writer->SetOutputFilename(u"/videos/out.wmv");
    writer->SetInputProps(0, nullptr);
    writer->SetInputProps(1, nullptr);
    ASSERT_EQ(writer->BeginWriting(), S_OK);
    EXPECT_EQ(wm::FileErrorText(static_cast<IWMWriter*>(writer)), "");
    HRESULT hr = S_OK;
    for (int i = 0; i < 100 && Succeeded(hr); ++i) {
        auto* sample = new wm::CNssBuffer(Bytes(3000, 1));
        hr = writer->WriteStreamSample(1, QWORD(i) * 400000, 0, 0, 0, sample);
        sample->Release();
    }
    EXPECT_EQ(hr, NS_E_FILE_WRITE);
    EXPECT_LT(writer->EndWriting(), 0);
    // The reason the engine adds to its message.
    EXPECT_EQ(wm::FileErrorText(static_cast<IWMWriter*>(writer)),
              "/videos/out.wmv: No space left on device");
    writer->Release();
}

}  // namespace
