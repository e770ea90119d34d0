// Reassembly of fragments into samples, and the flags after lost data.

#include "asf/sample_assembler.h"

#include <gtest/gtest.h>

#include <deque>

#include "asf/asf_guids.h"

namespace {

asf::AsfHeader TwoStreams(bool durationExtension = false) {
    asf::AsfHeader h;
    h.file.preroll = 3000;
    for (uint16_t n : {1, 2}) {
        asf::StreamProperties s;
        s.flags = n;
        h.streams.push_back(s);
    }
    if (durationExtension) {
        asf::ExtendedStreamProperties e;
        e.streamNumber = 1;
        e.extensions.push_back(
            {asf::Guid::FromText("399595EC-8667-4E2D-8FDB-98814CE76C1E"), 3, {}});
        e.extensions.push_back({asf::guids::kPesSampleDuration, 2, {}});
        h.extended.push_back(e);
    }
    return h;
}

asf::Payload Fragment(uint8_t stream, uint32_t object, uint32_t offset, uint32_t size,
                      uint32_t time, const std::string& data, bool key = false) {
    static std::deque<std::string> keep;  // stable addresses
    keep.push_back(data);
    asf::Payload p;
    p.stream = stream;
    p.objectNumber = object;
    p.offset = offset;
    p.objectSize = size;
    p.presentationTime = time;
    p.keyFrame = key;
    p.data = reinterpret_cast<const uint8_t*>(keep.back().data());
    p.length = static_cast<uint32_t>(keep.back().size());
    return p;
}

std::string Text(const asf::Sample& s) { return std::string(s.data.begin(), s.data.end()); }

TEST(SampleAssembler, FragmentsMakeOneSampleWithPrerollRemoved) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 5, 0, 6, 3040, "abc", true), Fragment(2, 0, 0, 2, 3000, "zz")}, out);
    a.AddPayloads({Fragment(1, 5, 3, 6, 3040, "def", true)}, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].stream, 2);
    EXPECT_EQ(Text(out[1]), "abcdef");
    EXPECT_EQ(out[1].time, 400000u);
    EXPECT_EQ(out[1].flags, asf::kSampleCleanPoint | asf::kSampleDiscontinuity);
}

TEST(SampleAssembler, LostFragmentDropsTheObjectAndFlagsTheNextSample) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 0, 0, 2, 3000, "ok")}, out);
    a.AddPayloads({Fragment(1, 1, 0, 9, 3040, "abc")}, out);
    a.AddPayloads({Fragment(1, 1, 6, 9, 3040, "ghi")}, out);  // the middle is missing
    a.AddPayloads({Fragment(1, 2, 0, 1, 3080, "x")}, out);
    a.AddPayloads({Fragment(1, 3, 0, 1, 3120, "y")}, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(Text(out[1]), "x");
    EXPECT_EQ(out[1].flags, asf::kSampleDataLoss | asf::kSampleDiscontinuity);
    EXPECT_EQ(out[2].flags, 0u);
}

// Packets after "ok" (the whole first object of stream 1), each a list of payloads; the packets
// counted as damaged, with the data's end at the last one.
uint64_t DamageAfter(const std::vector<std::vector<asf::Payload>>& packets, size_t* samples) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 0, 0, 2, 3000, "ok")}, out);
    for (const std::vector<asf::Payload>& p : packets) a.AddPayloads(p, out);
    a.EndOfData();
    *samples = out.size();
    return a.TakeDamagedPackets();
}

TEST(SampleAssembler, ObjectsWhoseFragmentsDoNotFitAreCountedWithTheirPackets) {
    const asf::Payload first = Fragment(1, 1, 0, 9, 3040, "abc");
    const asf::Payload next = Fragment(1, 2, 0, 1, 3080, "x");
    struct Case {
        const char* what;
        std::vector<std::vector<asf::Payload>> packets;
        uint64_t damaged;
        size_t samples;
    };
    const Case cases[] = {
        {"whole",
         {{first}, {Fragment(1, 1, 3, 9, 3040, "def")}, {Fragment(1, 1, 6, 9, 3040, "ghi")}},
         0,
         2},
        {"a gap", {{first}, {Fragment(1, 1, 6, 9, 3040, "ghi")}, {next}}, 2, 2},
        {"an overlap", {{first}, {Fragment(1, 1, 2, 9, 3040, "cde")}, {next}}, 2, 2},
        {"an offset past the size", {{first}, {Fragment(1, 1, 10, 9, 3040, "z")}, {next}}, 2, 2},
        {"a size that changes", {{first}, {Fragment(1, 1, 3, 12, 3040, "def")}, {next}}, 2, 2},
        {"a fragment past the size", {{first}, {Fragment(1, 1, 3, 9, 3040, "defghij")}}, 2, 1},
        {"an object ended by the next",
         {{first}, {Fragment(1, 1, 3, 9, 3040, "def")}, {next}},
         2,
         2},
        {"the data ends inside", {{Fragment(2, 0, 0, 1, 3000, "b")}, {first}}, 1, 2},
        {"an object with no start",
         {{Fragment(1, 1, 3, 9, 3040, "def")}, {Fragment(1, 1, 6, 9, 3040, "ghi")}, {next}},
         1,
         2},
        // Two streams losing objects in one packet: the packet counts once.
        {"two in one packet",
         {{first, Fragment(2, 0, 0, 4, 3000, "ab")},
          {Fragment(1, 1, 4, 9, 3040, "e"), Fragment(2, 0, 3, 4, 3000, "d")}},
         2,
         1},
    };
    for (const Case& c : cases) {
        size_t samples = 0;
        EXPECT_EQ(DamageAfter(c.packets, &samples), c.damaged) << c.what;
        EXPECT_EQ(samples, c.samples) << c.what;
    }
    // Data that begins inside an object is no damage; a damaged packet counts once, also when
    // what parsed of it does not fit.
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 1, 3, 9, 3040, "def")}, out);
    EXPECT_EQ(a.TakeDamagedPackets(), 0u);
    a.AddPayloads({Fragment(1, 2, 0, 9, 3080, "abc")}, out);
    a.AddPayloads({Fragment(1, 2, 5, 9, 3080, "f")}, out);
    a.PacketDamaged();
    EXPECT_EQ(a.TakeDamagedPackets(), 2u);
}

TEST(SampleAssembler, DamageElsewhereFlagsEveryStream) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 0, 0, 1, 3000, "a"), Fragment(2, 0, 0, 1, 3000, "b")}, out);
    a.MarkLossAll();
    a.AddPayloads({Fragment(1, 1, 0, 1, 3040, "c"), Fragment(2, 1, 0, 1, 3040, "d")}, out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_TRUE(out[2].flags & asf::kSampleDataLoss);
    EXPECT_TRUE(out[3].flags & asf::kSampleDataLoss);
}

TEST(SampleAssembler, CompressedPayloadGivesWholeObjectsAtStepTimes) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    asf::Payload p = Fragment(2, 0, 0, 0, 3100, std::string("\x02xy\x03zzz", 7));
    p.compressed = true;
    p.timeDelta = 40;
    a.AddPayloads({p}, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(Text(out[0]), "xy");
    EXPECT_EQ(Text(out[1]), "zzz");
    EXPECT_EQ(out[0].time, 1000000u);
    EXPECT_EQ(out[1].time, 1400000u);
    EXPECT_EQ(out[1].duration, 400000u);
}

TEST(SampleAssembler, ImpossibleObjectSizesAreDroppedNotAllocated) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 0, 0, 0xFFFFFFFF, 3000, "abc")}, out);
    a.AddPayloads({Fragment(1, 0, 0, 2, 3000, "abc")}, out);  // fragment longer than object
    EXPECT_TRUE(out.empty());
    EXPECT_LT(a.PartialBytes(), 1024u);
}

TEST(SampleAssembler, DurationComesFromTheSampleDurationExtension) {
    asf::AsfHeader h = TwoStreams(true);
    asf::SampleAssembler a(h);
    asf::SampleList out;
    asf::Payload p = Fragment(1, 0, 0, 1, 3000, "v");
    const uint8_t ext[] = {1, 2, 3, 40, 0};  // 3 bytes of another system, then 40 ms
    p.replicated = ext;
    p.replicatedLength = sizeof ext;
    a.AddPayloads({p}, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].duration, 400000u);
}

TEST(SampleAssembler, DeselectedStreamsAreSkipped) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    a.Select(2, false);
    asf::SampleList out;
    a.AddPayloads({Fragment(1, 0, 0, 1, 3000, "a"), Fragment(2, 0, 0, 1, 3000, "b")}, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].stream, 1);
}

}  // namespace
