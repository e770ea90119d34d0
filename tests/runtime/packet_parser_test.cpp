// The packet parser's forms, built byte by byte.

#include "asf/packet_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "asf/byte_io.h"

namespace {

constexpr uint32_t kSize = 200;

// Packet head: error correction, flags, padding length (WORD), send time 1000, duration 0.
asf::ByteWriter Head(uint8_t lengthFlags, uint8_t propertyFlags, uint16_t padding) {
    asf::ByteWriter w;
    w.U8(0x82);
    w.U8(0);
    w.U8(0);
    w.U8(lengthFlags);
    w.U8(propertyFlags);
    if (lengthFlags & 0x10) w.U16(padding);
    w.U32(1000);
    w.U16(0);
    return w;
}

void PayloadHead(asf::ByteWriter& w, uint8_t stream, uint8_t object, uint32_t offset,
                 uint32_t objectSize, uint32_t time) {
    w.U8(stream);
    w.U8(object);
    w.U32(offset);
    w.U8(8);
    w.U32(objectSize);
    w.U32(time);
}

std::vector<uint8_t> Finish(asf::ByteWriter& w) {
    std::vector<uint8_t> p = w.Take();
    p.resize(kSize, 0);
    return p;
}

TEST(PacketParser, MultiplePayloadsWithPadding) {
    // 2 payloads, WORD lengths; padding fills the rest.
    asf::ByteWriter w = Head(0x11, 0x5D, 0);
    w.U8(0x80 | 2);
    PayloadHead(w, 0x81, 0, 0, 3, 3100);
    w.U16(3);
    w.Bytes("abc", 3);
    PayloadHead(w, 2, 7, 0, 2, 3200);
    w.U16(2);
    w.Bytes("de", 2);
    size_t used = w.Size();
    w.PatchU16(5, static_cast<uint16_t>(kSize - used));
    std::vector<uint8_t> bytes = Finish(w);

    asf::Packet packet;
    ASSERT_TRUE(asf::ParsePacket(bytes.data(), kSize, packet));
    EXPECT_EQ(packet.sendTime, 1000u);
    ASSERT_EQ(packet.payloads.size(), 2u);
    EXPECT_EQ(packet.payloads[0].stream, 1);
    EXPECT_TRUE(packet.payloads[0].keyFrame);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(packet.payloads[0].data), 3), "abc");
    EXPECT_EQ(packet.payloads[1].objectNumber, 7u);
    EXPECT_EQ(packet.payloads[1].presentationTime, 3200u);
    EXPECT_FALSE(packet.payloads[1].keyFrame);
}

TEST(PacketParser, SinglePayloadRunsToPadding) {
    asf::ByteWriter w = Head(0x10, 0x5D, 0);
    PayloadHead(w, 1, 0, 10, 500, 3100);
    size_t dataStart = w.Size();
    w.PatchU16(5, 20);
    std::vector<uint8_t> bytes = Finish(w);
    asf::Packet packet;
    ASSERT_TRUE(asf::ParsePacket(bytes.data(), kSize, packet));
    ASSERT_EQ(packet.payloads.size(), 1u);
    EXPECT_EQ(packet.payloads[0].offset, 10u);
    EXPECT_EQ(packet.payloads[0].length, kSize - 20 - dataStart);
}

TEST(PacketParser, ExplicitShorterPacketLengthCountsAsPadding) {
    // Packet length type BYTE (bits 5-6 = 01) and no padding field.
    asf::ByteWriter w;
    w.U8(0x82), w.U8(0), w.U8(0);
    w.U8(0x20);
    w.U8(0x5D);
    w.U8(150);  // packet length
    w.U32(0);
    w.U16(0);
    PayloadHead(w, 1, 0, 0, 1000, 3100);
    size_t dataStart = w.Size();
    std::vector<uint8_t> bytes = Finish(w);
    asf::Packet packet;
    ASSERT_TRUE(asf::ParsePacket(bytes.data(), kSize, packet));
    EXPECT_EQ(packet.payloads[0].length, 150 - dataStart);
}

TEST(PacketParser, CompressedPayloadAndPayloadExtensions) {
    asf::ByteWriter w = Head(0x11, 0x5D, 0);
    w.U8(0x80 | 2);
    // Compressed: replicated length 1, offset field = presentation time, delta 40 ms.
    w.U8(1), w.U8(0), w.U32(3100), w.U8(1), w.U8(40);
    w.U16(1 + 2 + 1 + 3);
    w.U8(2), w.Bytes("xy", 2), w.U8(3), w.Bytes("zzz", 3);
    // Replicated data with 4 bytes of extension data after the mandatory 8.
    w.U8(2), w.U8(1), w.U32(0), w.U8(12), w.U32(1), w.U32(3300), w.U16(5), w.U16(9);
    w.U16(1);
    w.U8('q');
    w.PatchU16(5, static_cast<uint16_t>(kSize - w.Size()));
    std::vector<uint8_t> bytes = Finish(w);
    asf::Packet packet;
    ASSERT_TRUE(asf::ParsePacket(bytes.data(), kSize, packet));
    ASSERT_EQ(packet.payloads.size(), 2u);
    EXPECT_TRUE(packet.payloads[0].compressed);
    EXPECT_EQ(packet.payloads[0].timeDelta, 40);
    EXPECT_EQ(packet.payloads[0].presentationTime, 3100u);
    EXPECT_EQ(packet.payloads[1].replicatedLength, 4u);
    EXPECT_EQ(packet.payloads[1].replicated[0], 5);
    EXPECT_EQ(packet.payloads[1].data[0], 'q');
}

TEST(PacketParser, LengthsBeyondThePacketAreDamage) {
    {  // a payload length past the end keeps the payloads before it
        asf::ByteWriter w = Head(0x11, 0x5D, 0);
        w.U8(0x80 | 2);
        PayloadHead(w, 1, 0, 0, 2, 3100);
        w.U16(2);
        w.Bytes("ok", 2);
        PayloadHead(w, 1, 1, 0, 9000, 3100);
        w.U16(9000);
        std::vector<uint8_t> bytes = Finish(w);
        asf::Packet packet;
        EXPECT_FALSE(asf::ParsePacket(bytes.data(), kSize, packet));
        EXPECT_EQ(packet.payloads.size(), 1u);
    }
    {  // a packet length larger than the packet
        asf::ByteWriter w;
        w.U8(0x82), w.U8(0), w.U8(0), w.U8(0x40), w.U8(0x5D), w.U16(kSize + 1);
        std::vector<uint8_t> bytes = Finish(w);
        asf::Packet packet;
        EXPECT_FALSE(asf::ParsePacket(bytes.data(), kSize, packet));
    }
    {  // single payload with more padding than room
        asf::ByteWriter w = Head(0x10, 0x5D, kSize);
        PayloadHead(w, 1, 0, 0, 5, 3100);
        std::vector<uint8_t> bytes = Finish(w);
        asf::Packet packet;
        EXPECT_FALSE(asf::ParsePacket(bytes.data(), kSize, packet));
    }
    {  // replicated data claiming more bytes than remain
        asf::ByteWriter w = Head(0x11, 0x5D, 0);
        w.U8(0x80 | 1);
        w.U8(1), w.U8(0), w.U32(0), w.U8(255);
        std::vector<uint8_t> bytes = Finish(w);
        bytes.resize(40);
        asf::Packet packet;
        EXPECT_FALSE(asf::ParsePacket(bytes.data(), 40, packet));
    }
}

TEST(PacketParser, MultiplePayloadsSurviveAPaddingLengthThatDoesNotFit) {
    asf::ByteWriter w = Head(0x11, 0x5D, 60000);
    w.U8(0x80 | 1);
    PayloadHead(w, 1, 0, 0, 2, 3100);
    w.U16(2);
    w.Bytes("ok", 2);
    std::vector<uint8_t> bytes = Finish(w);
    asf::Packet packet;
    ASSERT_TRUE(asf::ParsePacket(bytes.data(), kSize, packet));
    EXPECT_EQ(packet.payloads.size(), 1u);
}

// Cut anywhere, a packet keeps exactly the payloads that end before the cut, with their fields,
// whichever widths its fields have: the common layout has a parser of its own.
TEST(PacketParser, ACutPacketKeepsThePayloadsBeforeTheCutInEveryLayout) {
    for (const uint8_t propertyFlags : {0x5D, 0x6D}) {  // BYTE object numbers, then WORD ones
        asf::ByteWriter w = Head(0x11, propertyFlags, 0);
        w.U8(0x80 | 3);
        auto object = [&](uint8_t n) { propertyFlags == 0x5D ? w.U8(n) : w.U16(n); };
        std::vector<size_t> ends;
        w.U8(0x81), object(4), w.U32(0), w.U8(8), w.U32(3), w.U32(3100), w.U16(3);
        w.Bytes("abc", 3);
        ends.push_back(w.Size());
        w.U8(2), object(5), w.U32(3200), w.U8(1), w.U8(40), w.U16(3), w.U8(2), w.Bytes("xy", 2);
        ends.push_back(w.Size());
        w.U8(1), object(6), w.U32(0), w.U8(10), w.U32(1), w.U32(3300), w.U16(7), w.U16(1);
        w.U8('q');
        ends.push_back(w.Size());
        const std::vector<uint8_t> bytes = w.Take();
        for (size_t cut = 0; cut <= bytes.size(); ++cut) {
            SCOPED_TRACE(testing::Message() << "flags " << int(propertyFlags) << " cut " << cut);
            asf::Packet packet;
            const bool whole = asf::ParsePacket(bytes.data(), uint32_t(cut), packet);
            const size_t kept = size_t(
                std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= cut; }));
            EXPECT_EQ(whole, kept == ends.size());
            ASSERT_EQ(packet.payloads.size(), kept);
            const char* data[] = {"abc", "\2xy", "q"};
            for (size_t i = 0; i < kept; ++i) {
                const asf::Payload& p = packet.payloads[i];
                EXPECT_EQ(p.objectNumber, 4 + i);
                EXPECT_EQ(p.compressed, i == 1);
                EXPECT_EQ(p.presentationTime, 3100 + 100 * i);
                EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.data), p.length), data[i]);
            }
            if (kept > 0) {
                EXPECT_TRUE(packet.payloads[0].keyFrame);
            }
            if (kept > 1) {
                EXPECT_EQ(packet.payloads[1].timeDelta, 40);
            }
            if (kept > 2) {
                EXPECT_EQ(packet.payloads[2].replicated[0], 7);
            }
        }
    }
}

}  // namespace
