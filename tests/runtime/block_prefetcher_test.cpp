// The reading thread's blocks: in file order, each packet parsed as the parser parses it, for
// a consumer slower or faster than the reads, and a prefetcher let go of in the middle.

#include "wm/block_prefetcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "asf/header.h"
#include "test_files.h"

namespace {

struct TestFile {
    asf::MemorySource source;
    asf::AsfLayout layout;
};

// About 2 MiB of packets: several blocks of the size the reader uses.
TestFile MakeFile() {
    std::vector<TestSample> samples;
    for (size_t i = 0; i < 700; ++i)
        samples.push_back({1, i * 333333, i % 30 == 0, std::vector<BYTE>(3000, BYTE(i))});
    TestFile f{asf::MemorySource(WriteTestFile(samples)), {}};
    asf::AsfHeader header;
    std::string error;
    EXPECT_TRUE(asf::ReadAsfStructure(f.source, header, f.layout, error)) << error;
    return f;
}

TEST(BlockPrefetcher, BlocksComeInOrderParsedAsTheParserParsesThem) {
    TestFile f = MakeFile();
    const uint32_t size = f.layout.packetSize;
    ASSERT_GT(f.layout.packetCount, 600u);
    for (int pause : {0, 1}) {  // a consumer faster, then slower, than the reads
        wm::BlockPrefetcher blocks(f.source, f.layout.firstPacketOffset,
                                   f.layout.packetCount * size, 40 * size, size);
        uint64_t packet = 0;
        wm::ReadBlock block;
        while (blocks.Next(&block)) {
            ASSERT_EQ(block->packets.size(), block->size() / size);
            for (size_t i = 0; i < block->packets.size(); ++i, ++packet) {
                std::vector<uint8_t> bytes(size);
                ASSERT_TRUE(f.source.ReadAt(f.layout.firstPacketOffset + packet * size,
                                            bytes.data(), size));
                ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), block->data() + i * size));
                asf::Packet expected;
                EXPECT_EQ(block->whole[i], asf::ParsePacket(bytes.data(), size, expected));
                const asf::Packet& got = block->packets[i];
                ASSERT_EQ(got.payloads.size(), expected.payloads.size());
                EXPECT_EQ(got.sendTime, expected.sendTime);
                for (size_t p = 0; p < got.payloads.size(); ++p) {
                    EXPECT_EQ(got.payloads[p].objectNumber, expected.payloads[p].objectNumber);
                    EXPECT_EQ(got.payloads[p].length, expected.payloads[p].length);
                    EXPECT_EQ(got.payloads[p].data - block->data(),
                              expected.payloads[p].data - bytes.data() + ptrdiff_t(i * size));
                }
            }
            if (pause) std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        }
        EXPECT_EQ(packet, f.layout.packetCount);
        EXPECT_FALSE(blocks.Failed());
    }
}

// Let go of with its read-ahead full, or after one block: it stops and nothing hangs.
TEST(BlockPrefetcher, LetGoOfInTheMiddleStops) {
    TestFile f = MakeFile();
    const uint32_t size = f.layout.packetSize;
    for (int taken : {0, 1, 3}) {
        wm::BlockPrefetcher blocks(f.source, f.layout.firstPacketOffset,
                                   f.layout.packetCount * size, 4 * size, size);
        wm::ReadBlock block;
        for (int i = 0; i < taken; ++i) ASSERT_TRUE(blocks.Next(&block));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace
