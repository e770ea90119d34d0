// Sample buffers that point into the reader's blocks, the writer's block sink, and the blocks'
// memory.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory_resource>

#include "test_files.h"
#include "wm/block_memory.h"
#include "wm/block_sink.h"
#include "wm/reader.h"

namespace {

BYTE Pattern(WORD stream, size_t index, size_t at) {
    return static_cast<BYTE>(index * 131 + at * 7 + stream * 59 + (at >> 8));
}

// About 16 MiB: more than the reader's blocks hold at once, so blocks are read into again unless
// something keeps them. Most frames fit one payload (a view into a block); every 40th is split
// over packets (pieces in one or two blocks); seven are nearly a block (pieces likely in two);
// seven are larger than a block (copied out as they arrive); audio blocks are small.
std::vector<TestSample> ManySamples() {
    std::vector<TestSample> out;
    for (size_t i = 0; i < 7000; ++i) {  // 233 s at 30 frames/s
        size_t size = i % 1000 == 500   ? 600000
                      : i % 1000 == 250 ? 200000
                      : i % 40 == 39    ? 9000
                                        : 400 + i * 37 % 2400;
        TestSample s{1, i * 333333, i % 30 == 0, std::vector<BYTE>(size)};
        for (size_t k = 0; k < size; ++k) s.data[k] = Pattern(1, i, k);
        out.push_back(std::move(s));
    }
    for (size_t i = 0; i < 2330; ++i) {  // 100 ms blocks
        TestSample s{2, i * 1000000, false, std::vector<BYTE>(300)};
        for (size_t k = 0; k < 300; ++k) s.data[k] = Pattern(2, i, k);
        out.push_back(std::move(s));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const TestSample& a, const TestSample& b) { return a.time < b.time; });
    return out;
}

// Keeps a reference to every buffer it is given of at least minKept bytes.
class KeepingCallback : public RecordingCallback {
  public:
    KeepingCallback(QWORD step, DWORD minKept) : RecordingCallback(step), minKept(minKept) {}
    ~KeepingCallback() {
        for (auto& [stream, buffer] : kept) buffer->Release();
    }
    HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                           void* context) override {
        DWORD length = 0;
        sample->GetLength(&length);
        if (length >= minKept) {
            sample->AddRef();
            kept.emplace_back(stream, sample);
        }
        return RecordingCallback::OnStreamSample(stream, time, duration, flags, sample, context);
    }
    const DWORD minKept;
    std::vector<std::pair<WORD, INSSBuffer*>> kept;
};

// Kept alone, the fragmented samples hold the blocks they lie in, and nothing else holds those.
void ReadKeeping(QWORD step, DWORD minKept) {
    std::vector<TestSample> all = ManySamples();
    std::vector<uint8_t> file = WriteTestFile(all);
    ASSERT_GT(file.size(), 12u << 20);
    std::vector<TestSample> samples;
    for (const TestSample& s : all)
        if (s.data.size() >= minKept) samples.push_back(s);
    KeepingCallback callback(step, minKept);
    {
        auto* reader = new wm::CReader();
        callback.Attach(reader);
        reader->UseSource(std::make_unique<asf::MemorySource>(std::move(file)));
        reader->Open(u"memory.wmv", &callback, nullptr);
        ASSERT_EQ(callback.WaitFor(WMT_OPENED), S_OK);
        reader->SetManualStreamSelection(1);
        reader->SetReceiveStreamSamples(1, 1);
        reader->SetReceiveStreamSamples(2, 1);
        reader->SetUserProvidedClock(step != 0);
        reader->Start(0, 0, 1.0f, nullptr);
        EXPECT_EQ(callback.WaitFor(WMT_EOF, WMT_ERROR), S_OK);
        reader->Stop();
        callback.WaitFor(WMT_STOPPED);
        reader->Close();
        callback.WaitFor(WMT_CLOSED);
        reader->Release();
    }
    // The reader is gone; every kept buffer still holds its own bytes.
    ASSERT_EQ(callback.kept.size(), samples.size());
    std::vector<const TestSample*> expected[3];
    for (const TestSample& s : samples) expected[s.stream].push_back(&s);
    size_t next[3] = {0, 0, 0};
    for (auto& [stream, buffer] : callback.kept) {
        ASSERT_TRUE(stream == 1 || stream == 2);
        ASSERT_LT(next[stream], expected[stream].size());
        const TestSample& want = *expected[stream][next[stream]++];
        BYTE* data = nullptr;
        DWORD length = 0;
        ASSERT_EQ(buffer->GetBufferAndLength(&data, &length), S_OK);
        ASSERT_EQ(std::vector<BYTE>(data, data + length), want.data)
            << "stream " << stream << " sample " << next[stream] - 1;
    }
}

TEST(SampleBuffer, KeptBuffersKeepTheirBytesAfterTheReaderIsGone) { ReadKeeping(0, 0); }

TEST(SampleBuffer, KeptBuffersKeepTheirBytesUnderTheUserClock) { ReadKeeping(10000000, 0); }

TEST(SampleBuffer, KeptFragmentedSamplesKeepTheirBytes) {
    ReadKeeping(0, 5000);
    ReadKeeping(0, 100000);  // nothing else holds the blocks of the samples nearly a block long
}

// Writes of every size come out in order, WriteAt lands where it is told, and the position
// counts what was given.
TEST(BlockSink, KeepsOrderAndWritesAtOffsets) {
    auto memory = std::make_unique<asf::MemorySink>();
    asf::MemorySink* below = memory.get();
    std::vector<uint8_t> expected;
    {
        wm::BlockSink sink(std::move(memory));
        for (size_t i = 0; expected.size() < (5u << 20) + 123; ++i) {
            size_t n = i % 7 == 0 ? 1500000 : i % 3 == 0 ? 1 : 3200;
            std::vector<uint8_t> chunk(n);
            for (size_t k = 0; k < n; ++k) chunk[k] = static_cast<uint8_t>(i * 17 + k);
            if (i % 2) {  // filled in place, across block ends; the large ones staged
                std::copy(chunk.begin(), chunk.end(), sink.Claim(n));
                ASSERT_TRUE(sink.Commit(n));
            } else {
                ASSERT_TRUE(sink.Write(chunk.data(), n));
            }
            expected.insert(expected.end(), chunk.begin(), chunk.end());
            ASSERT_EQ(sink.Position(), expected.size());
        }
        for (int i = 0; i < 700; ++i) {  // packets as the packet writer claims them
            uint8_t* packet = sink.Claim(3200);
            for (size_t k = 0; k < 3200; ++k) packet[k] = static_cast<uint8_t>(i + k * 5);
            expected.insert(expected.end(), packet, packet + 3200);
            ASSERT_TRUE(sink.Commit(3200));
        }
        const uint8_t patch[5] = {9, 8, 7, 6, 5};
        ASSERT_TRUE(sink.WriteAt(3, patch, 5));
        std::copy(patch, patch + 5, expected.begin() + 3);
        ASSERT_TRUE(sink.Write(patch, 5));  // appends after a WriteAt
        expected.insert(expected.end(), patch, patch + 5);
        ASSERT_TRUE(sink.Finish());
        EXPECT_EQ(sink.ErrorNumber(), 0);
        EXPECT_TRUE(below->Bytes() == expected);  // the sink owns what is below
    }
}

// A full disk below fails a later write, the header rewrite and the end, never passes as
// success, and keeps its reason.
TEST(BlockSink, AFullDiskBelowIsReportedLater) {
    auto memory = std::make_unique<asf::MemorySink>();
    memory->FailAfter(3u << 20);
    wm::BlockSink sink(std::move(memory));
    std::vector<uint8_t> packet(3200, 0x5A);
    bool failed = false;
    for (int i = 0; i < 3000 && !failed; ++i) {
        std::copy(packet.begin(), packet.end(), sink.Claim(packet.size()));
        failed = !sink.Commit(packet.size());
    }
    EXPECT_TRUE(failed) << "10 MB written past a 3 MiB disk without a failure";
    EXPECT_FALSE(sink.Write(packet.data(), packet.size()));
    EXPECT_FALSE(sink.WriteAt(0, packet.data(), 10));
    EXPECT_FALSE(sink.Finish());
    EXPECT_EQ(sink.ErrorNumber(), ENOSPC);
}

TEST(BlockSink, AFailureInTheLastBlockShowsAtFinish) {
    auto memory = std::make_unique<asf::MemorySink>();
    memory->FailAfter(1000);
    wm::BlockSink sink(std::move(memory));
    std::vector<uint8_t> bytes(5000, 1);
    EXPECT_TRUE(sink.Write(bytes.data(), bytes.size()));  // still gathered, not written
    EXPECT_FALSE(sink.Finish());
    EXPECT_EQ(sink.ErrorNumber(), ENOSPC);
}

// Chunks of both sizes from several regions are whole and apart, come back for reuse to their
// own size, and nothing else is taken back as one.
TEST(BlockMemory, ChunksAreWholeApartAndReused) {
    namespace bm = wm::block_memory;
    std::vector<uint8_t*> chunks;
    for (int i = 0; i < 20; ++i) {
        chunks.push_back(static_cast<uint8_t*>(bm::Take()));
        ASSERT_NE(chunks.back(), nullptr);
        std::fill_n(chunks.back(), bm::kChunkBytes, uint8_t(i));
    }
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(std::all_of(chunks[i], chunks[i] + bm::kChunkBytes,
                                [i](uint8_t b) { return b == uint8_t(i); }));
    for (uint8_t* c : chunks) EXPECT_TRUE(bm::Give(c));
    std::vector<uint8_t> heap(16);
    EXPECT_FALSE(bm::Give(heap.data()));
    void* again = bm::Take();
    EXPECT_EQ(again, chunks.back());  // the last given back
    bm::Give(again);

    // Large chunks are whole, apart from the others, and come back to their own class only.
    auto* large = static_cast<uint8_t*>(bm::Take(bm::kLargeChunkBytes));
    ASSERT_NE(large, nullptr);
    std::fill_n(large, bm::kLargeChunkBytes, uint8_t(0xAB));
    for (uint8_t* c : chunks)
        EXPECT_TRUE(c + bm::kChunkBytes <= large || c >= large + bm::kLargeChunkBytes);
    EXPECT_TRUE(bm::Give(large));
    void* small = bm::Take();
    EXPECT_NE(small, large);
    bm::Give(small);
    EXPECT_EQ(bm::Take(bm::kLargeChunkBytes), large);
    bm::Give(large);
    EXPECT_EQ(bm::Take(bm::kChunkBytes * 2), nullptr);  // no such class

    // A vector over the resource: small, it lives on the heap; grown large, in a chunk, which
    // goes back to the pool with the vector; larger than a chunk, on the heap again.
    std::vector<uint8_t*> seen;
    {
        std::pmr::vector<uint64_t> v(bm::Resource());
        for (uint64_t i = 0; i < bm::kChunkBytes / 4; ++i) {
            v.push_back(i);
            if (seen.empty() || seen.back() != reinterpret_cast<uint8_t*>(v.data()))
                seen.push_back(reinterpret_cast<uint8_t*>(v.data()));
        }
        for (uint64_t i = 0; i < v.size(); ++i) ASSERT_EQ(v[i], i);
    }
    const size_t inChunks = std::count_if(seen.begin(), seen.end(), [&](uint8_t* p) {
        return std::find(chunks.begin(), chunks.end(), p) != chunks.end();
    });
    EXPECT_EQ(inChunks, 4u);  // 32, 64, 128 and 256 KiB, each a chunk given back before
}

}  // namespace
