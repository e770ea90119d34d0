// The reading thread's blocks: in file order, their samples assembled whole across block
// edges, for a consumer slower or faster than the reads (and then preparing blocks itself), and
// a prefetcher let go of in the middle; and the reading thread kept off its consumer's processor.

#include "wm/block_prefetcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "asf/header.h"
#include "test_files.h"
#include "wm/block_assembler.h"
#include "wm/thread_spread.h"

namespace {

struct TestFile {
    std::vector<TestSample> samples;
    asf::MemorySource source;
    asf::AsfHeader header;
    asf::AsfLayout layout;
};

// About 2 MiB of packets, several blocks of the size the reader uses; most samples span two
// packets, and some span two blocks.
TestFile MakeFile() {
    std::vector<TestSample> samples;
    for (size_t i = 0; i < 700; ++i) {
        std::vector<BYTE> bytes(3000);
        for (size_t b = 0; b < bytes.size(); ++b) bytes[b] = BYTE(i * 7 + b);
        samples.push_back({1, i * 330000, i % 30 == 0, std::move(bytes)});
    }
    TestFile f{samples, asf::MemorySource(WriteTestFile(samples)), {}, {}};
    std::string error;
    EXPECT_TRUE(asf::ReadAsfStructure(f.source, f.header, f.layout, error)) << error;
    return f;
}

std::vector<BYTE> BytesOf(const asf::Sample& s) {
    if (s.view) return {s.view, s.view + s.viewLength};
    if (s.pieces.empty()) return s.data;
    std::vector<BYTE> bytes;
    for (const asf::SamplePiece& p : s.pieces) bytes.insert(bytes.end(), p.data, p.data + p.length);
    return bytes;
}

// Reads that take a while, as from a slow disk; the first one takes longer.
class SlowSource : public asf::ByteSource {
  public:
    SlowSource(asf::ByteSource& below, int ms, int firstMs)
        : m_below(below), m_ms(ms), m_firstMs(firstMs) {}
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_reads++ ? m_ms : m_firstMs));
        return m_below.ReadAt(offset, buffer, n);
    }
    uint64_t Size() const override { return m_below.Size(); }

  private:
    asf::ByteSource& m_below;
    int m_ms;
    int m_firstMs;
    int m_reads = 0;  // the reading thread's only
};

TEST(BlockPrefetcher, BlocksComeInOrderWithTheirSamplesWhole) {
    TestFile f = MakeFile();
    const uint32_t size = f.layout.packetSize;
    ASSERT_GT(f.layout.packetCount, 600u);
    // A consumer faster than the reads, one slower, and one that waits for slow reads, which
    // then prepares blocks itself: at least the first, whose read is slow enough for the
    // consumer to be waiting when it lands, however slowly the consumer checks blocks.
    for (auto [pause, readMs] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{0, 2}}) {
        wm::BlockAssembler assembler(f.header, f.layout, std::make_shared<wm::BufferRecycler>());
        SlowSource source(f.source, readMs, readMs ? 100 : 0);
        const std::thread::id consumer = std::this_thread::get_id();
        size_t preparedHere = 0;  // written by one thread at a time, as the prepare is
        wm::BlockPrefetcher blocks(source, f.layout.firstPacketOffset, f.layout.packetCount * size,
                                   40 * size, [&](wm::PacketBlock& b) {
                                       preparedHere += std::this_thread::get_id() == consumer;
                                       assembler.Prepare(b);
                                   });
        uint64_t packet = 0;
        size_t sample = 0, acrossBlocks = 0;
        std::shared_ptr<wm::PacketBlock> block, previous;  // pieces may lie in the one before
        while (previous = std::move(block), blocks.Next(&block)) {
            ASSERT_EQ(block->packets.size(), block->size() / size);
            std::vector<uint8_t> bytes(block->size());
            ASSERT_TRUE(f.source.ReadAt(f.layout.firstPacketOffset + packet * size, bytes.data(),
                                        bytes.size()));
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), block->data()));
            packet += block->packets.size();
            uint32_t end = 0;
            for (const wm::ReadyPacket& p : block->packets) {
                EXPECT_TRUE(p.whole);
                EXPECT_EQ(p.damaged, 0u);
                EXPECT_GE(p.samplesEnd, end);
                end = p.samplesEnd;
            }
            ASSERT_EQ(end, block->samples.size());
            for (const asf::Sample& s : block->samples) {
                ASSERT_LT(sample, f.samples.size());
                EXPECT_EQ(s.time, f.samples[sample].time);
                EXPECT_EQ(BytesOf(s), f.samples[sample].data) << "sample " << sample;
                acrossBlocks += !s.pieces.empty() && s.firstBlock != block->sequence;
                ++sample;
            }
            if (pause) std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        }
        EXPECT_EQ(packet, f.layout.packetCount);
        EXPECT_EQ(sample, f.samples.size());
        EXPECT_GT(acrossBlocks, 5u);
        EXPECT_FALSE(blocks.Failed());
        if (readMs) {
            EXPECT_GT(preparedHere, 0u);
        }
    }
}

// Let go of with its read-ahead full, or after one block: it stops and nothing hangs.
TEST(BlockPrefetcher, LetGoOfInTheMiddleStops) {
    TestFile f = MakeFile();
    const uint32_t size = f.layout.packetSize;
    for (int taken : {0, 1, 3}) {
        wm::BlockPrefetcher blocks(f.source, f.layout.firstPacketOffset,
                                   f.layout.packetCount * size, 4 * size, [](wm::PacketBlock&) {});
        std::shared_ptr<wm::PacketBlock> block;
        for (int i = 0; i < taken; ++i) ASSERT_TRUE(blocks.Next(&block));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

// A reader that finds itself on its consumer's processor twice running leaves that processor for
// one check, then is free again; where one processor is allowed, nothing changes.
TEST(ThreadSpread, AReaderOnItsConsumersProcessorStepsAwayForOneCheck) {
    auto allowedNow = [] {
        cpu_set_t set;
        EXPECT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
        return set;
    };
    std::thread([&] {
        const cpu_set_t allowed = allowedNow();
        if (CPU_COUNT(&allowed) >= 2) {
            wm::ThreadSpread spread;
            // The consumer is this very thread: the two share a processor at each check.
            for (int i = 0; i < 1000 && !spread.SteppedAway(); ++i) {
                spread.NoteConsumer();
                spread.Check();
            }
            ASSERT_TRUE(spread.SteppedAway());
            cpu_set_t away = allowedNow();
            EXPECT_EQ(CPU_COUNT(&away), CPU_COUNT(&allowed) - 1);
            EXPECT_TRUE(CPU_ISSET(sched_getcpu(), &away));
            spread.Check();
            cpu_set_t back = allowedNow();
            EXPECT_FALSE(spread.SteppedAway());
            EXPECT_TRUE(CPU_EQUAL(&back, &allowed));
        }
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(sched_getcpu(), &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        wm::ThreadSpread alone;
        for (int i = 0; i < 10; ++i) {
            alone.NoteConsumer();
            alone.Check();
            EXPECT_FALSE(alone.SteppedAway());
        }
        cpu_set_t still = allowedNow();
        EXPECT_TRUE(CPU_EQUAL(&still, &one));
    }).join();
}
