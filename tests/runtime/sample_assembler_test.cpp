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
    std::vector<asf::Sample> out;
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
    std::vector<asf::Sample> out;
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

TEST(SampleAssembler, DamageElsewhereFlagsEveryStream) {
    asf::AsfHeader h = TwoStreams();
    asf::SampleAssembler a(h);
    std::vector<asf::Sample> out;
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
    std::vector<asf::Sample> out;
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
    std::vector<asf::Sample> out;
    a.AddPayloads({Fragment(1, 0, 0, 0xFFFFFFFF, 3000, "abc")}, out);
    a.AddPayloads({Fragment(1, 0, 0, 2, 3000, "abc")}, out);  // fragment longer than object
    EXPECT_TRUE(out.empty());
    EXPECT_LT(a.PartialBytes(), 1024u);
}

TEST(SampleAssembler, DurationComesFromTheSampleDurationExtension) {
    asf::AsfHeader h = TwoStreams(true);
    asf::SampleAssembler a(h);
    std::vector<asf::Sample> out;
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
    std::vector<asf::Sample> out;
    a.AddPayloads({Fragment(1, 0, 0, 1, 3000, "a"), Fragment(2, 0, 0, 1, 3000, "b")}, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].stream, 1);
}

}  // namespace
