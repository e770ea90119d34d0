// Whole joins through the fake runtime: placement of samples, stream pairing, refusals, skipped
// inputs and header carry-over.
#include <algorithm>

#include "engine_test_support.h"

namespace {

constexpr QWORD kSecond = 10000000;

// The written samples whose first data byte came from an input's sample of the given tag range
// cannot be told apart, so each input gets its own marker byte in data[1].
fake::File Tagged(double seconds, BYTE tag) {
    fake::File f = fake::AvFile(seconds);
    for (fake::Sample& s : f.samples) s.data.push_back(tag);
    return f;
}

std::vector<fake::Written> From(const std::vector<fake::Written>& all, BYTE tag) {
    std::vector<fake::Written> out;
    for (const fake::Written& s : all)
        if (s.data.back() == tag) out.push_back(s);
    return out;
}

TEST_F(EngineTest, TwoInputsKeepEverySampleAndShiftTheSecondByTheFirstsFinalClock) {
    w.files[u"a.wmv"] = Tagged(3.7, 'a');  // last sample starts at 3.5 s
    w.files[u"b.wmv"] = Tagged(3.0, 'b');
    ASSERT_EQ(Join({"a.wmv", "b.wmv"}), S_OK);
    EXPECT_TRUE(Messages().empty());

    auto a = From(w.written, 'a'), b = From(w.written, 'b');
    const auto& fileA = w.files[u"a.wmv"].samples;
    const auto& fileB = w.files[u"b.wmv"].samples;
    ASSERT_EQ(a.size(), fileA.size());
    ASSERT_EQ(b.size(), fileB.size());
    EXPECT_EQ(w.written.size(), a.size() + b.size());
    QWORD offset = merger->InputOffset(1);
    EXPECT_EQ(offset % kSecond, 0u);
    EXPECT_GE(offset, fileA.back().time + fileA.back().duration);
    EXPECT_EQ(offset, 4 * kSecond);
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].time, fileA[i].time);
        EXPECT_EQ(a[i].stream, fileA[i].stream);
        EXPECT_EQ(a[i].data, fileA[i].data);
    }
    for (size_t i = 0; i < b.size(); ++i) {
        EXPECT_EQ(b[i].time, fileB[i].time + offset);
        EXPECT_EQ(b[i].duration, fileB[i].duration);
        EXPECT_EQ(b[i].flags, fileB[i].flags);
        EXPECT_EQ(b[i].data, fileB[i].data);
        EXPECT_EQ(b[i].sendTime, 0u);
    }
    EXPECT_EQ(engine::MergerProbe::OffsetCount(*merger), 1);
    EXPECT_TRUE(Logged("writer.SetInputProps0"));
    EXPECT_TRUE(Logged("writer.SetInputProps1"));
    EXPECT_TRUE(Logged("writer.EndWriting"));
    // Each segment's clock starts at one second and steps a second at a time.
    EXPECT_EQ(w.deliveredTimes.front(), kSecond);
    for (QWORD t : w.deliveredTimes) EXPECT_EQ(t % kSecond, 0u);
}

TEST_F(EngineTest, LaterInputsStartWhereTheRunningClockSumLeftOff) {
    w.files[u"a.wmv"] = Tagged(4.0, 'a');
    w.files[u"b.wmv"] = Tagged(3.0, 'b');
    w.files[u"c.wmv"] = Tagged(2.0, 'c');
    w.files[u"d.wmv"] = Tagged(1.0, 'd');
    ASSERT_EQ(Join({"a.wmv", "b.wmv", "c.wmv", "d.wmv"}), S_OK);
    EXPECT_EQ(merger->InputOffset(1), 4 * kSecond);
    EXPECT_EQ(merger->InputOffset(2), 7 * kSecond);
    EXPECT_EQ(merger->InputOffset(3), 9 * kSecond);
    EXPECT_EQ(engine::MergerProbe::OffsetCount(*merger), 3);
    EXPECT_EQ(From(w.written, 'd').front().time, 9 * kSecond);
    // Times never go back from one input to the next.
    for (size_t i = 2; i < w.written.size(); ++i)
        EXPECT_GE(w.written[i].time + kSecond, w.written[i - 2].time);
    // The first input stays open in reader 1 until the end; later inputs each get a new reader.
    auto at = [&](const std::string& call) {
        return std::find(w.log.begin(), w.log.end(), call) - w.log.begin();
    };
    EXPECT_GT(at("reader1.Close"), at("writer.EndWriting"));
    EXPECT_TRUE(Logged("createReader4"));
    EXPECT_TRUE(Logged("reader3.Close"));
}

TEST_F(EngineTest, StreamsArePairedByTypeAndEachPartnerIsUsedOnce) {
    fake::File a = Tagged(2.0, 'a');
    a.streams = {fake::Video(1, 0x32564D57, 200000), fake::Audio(2, 4000), fake::Audio(3, 4000)};
    fake::File b = Tagged(2.0, 'b');
    b.streams = {fake::Audio(1, 4000), fake::Audio(2, 4000), fake::Video(3, 0x32564D57, 200000)};
    for (fake::Sample& s : b.samples) s.stream = s.stream == 1 ? 3 : 1;  // video is 3 in b
    w.files[u"a.wmv"] = a;
    w.files[u"b.wmv"] = b;
    ASSERT_EQ(Join({"a.wmv", "b.wmv"}), S_OK);
    EXPECT_EQ(merger->MapStreamNumber(3), 0);  // map is gone after Cleanup
    for (const fake::Written& s : From(w.written, 'b')) {
        // b's data[1] still says which kind of stream it came from: 1 video, 2 audio.
        EXPECT_EQ(s.stream, s.data[1] == 1 ? 1 : 2);
    }
}

TEST_F(EngineTest, MapOfTwoIdenticalAudioStreamsTakesTwoPartners) {
    fake::File a = fake::AvFile(1.0);
    a.streams = {fake::Video(1, 0x32564D57, 200000), fake::Audio(2, 4000), fake::Audio(3, 4000)};
    fake::File b = a;
    b.streams = {fake::Audio(1, 4000), fake::Audio(2, 4000), fake::Video(3, 0x32564D57, 200000)};
    w.files[u"a.wmv"] = a;
    w.files[u"b.wmv"] = b;
    merger = std::make_unique<engine::CMerger>(w.Runtime());
    ASSERT_EQ(merger->Init(), S_OK);
    BOOL match = 0;
    ASSERT_EQ(merger->OpenInputs(u"a.wmv", u"b.wmv", &match), S_OK);
    EXPECT_EQ(match, 1);
    EXPECT_EQ(merger->MapStreamNumber(3), 1);
    EXPECT_EQ(merger->MapStreamNumber(1), 2);
    EXPECT_EQ(merger->MapStreamNumber(2), 3);
    EXPECT_EQ(merger->MapStreamNumber(4), 0);
}

TEST_F(EngineTest, BufferWindowsOfPartnersAreSummedIntoTheWritersProfile) {
    fake::File a = fake::AvFile(1.0), b = fake::AvFile(1.0), c = fake::AvFile(1.0);
    a.streams[0].bufferWindow = 3000;
    b.streams[0].bufferWindow = 5000;
    c.streams[0].bufferWindow = 1000;
    w.files[u"a.wmv"] = a;
    w.files[u"b.wmv"] = b;
    w.files[u"c.wmv"] = c;
    ASSERT_EQ(Join({"a.wmv", "b.wmv", "c.wmv"}), S_OK);
    ASSERT_EQ(w.writerProfile.size(), 2u);
    EXPECT_EQ(w.writerProfile[0].bufferWindow, 8000u);  // the writer took its profile before c
    EXPECT_EQ(w.writerProfile[1].bufferWindow, 6000u);
}

TEST_F(EngineTest, VbrStreamsPairOnlyWithVbrStreams) {
    struct Case {
        bool vbrA, vbrB;
        DWORD rateB;
        int match;
    } cases[] = {{true, false, 200000, 0},
                 {true, true, 300000, 1},
                 {false, false, 300000, 0},
                 {false, false, 200000, 1}};
    for (const Case& c : cases) {
        fake::World world;
        fake::File a = fake::AvFile(1.0), b = fake::AvFile(1.0);
        a.streams[0].vbr = c.vbrA;
        b.streams[0] = fake::Video(1, 0x32564D57, c.rateB);
        b.streams[0].vbr = c.vbrB;
        world.files[u"a.wmv"] = a;
        world.files[u"b.wmv"] = b;
        engine::CMerger m(world.Runtime());
        ASSERT_EQ(m.Init(), S_OK);
        BOOL match = 7;
        ASSERT_EQ(m.OpenInputs(u"a.wmv", u"b.wmv", &match), S_OK);
        EXPECT_EQ(match, c.match) << c.vbrA << c.vbrB << " " << c.rateB;
    }
}

TEST_F(EngineTest, SecondInputWithOtherStreamsIsRefusedBeforeAnythingIsWritten) {
    fake::File three = fake::AvFile(1.0);
    three.streams.push_back(fake::Audio(3, 4000));
    fake::File otherCodec = fake::AvFile(1.0);
    otherCodec.streams[0] = fake::Video(1, 0x31564D57, 200000);
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    w.files[u"three.wmv"] = three;
    w.files[u"wmv1.wmv"] = otherCodec;

    EXPECT_EQ(Join({"a.wmv", "three.wmv"}), E_FAIL);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Different Stream counts in both the files.\n",
                              "Profile Mismatch\nCan not continue... Aborting the process\n"}));
    box.calls.clear();
    EXPECT_EQ(Join({"a.wmv", "wmv1.wmv"}), E_FAIL);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Mismatch in Media types of both the Streams.\n"
                              "codec WMV1, the first file's is WMV2\n",
                              "Profile Mismatch\nCan not continue... Aborting the process\n"}));
    EXPECT_FALSE(Logged("writer.BeginWriting"));
    EXPECT_TRUE(w.written.empty());
}

// The mismatch message names the stream and what differs, the later file's value first (frame
// size, sample rate and codec are checked on real files in real_joins.py).
TEST_F(EngineTest, AMismatchNamesWhatDiffers) {
    auto sound = [](uint32_t rate, BYTE channels) {
        fake::File f = fake::AvFile(1.0);
        f.streams[1].format[2] = channels;
        for (int i = 0; i < 4; ++i) f.streams[1].format[4 + i] = BYTE(rate >> (8 * i));
        return f;
    };
    fake::File vbr = fake::AvFile(1.0);
    vbr.streams[1].vbr = true;
    fake::File noVideo = fake::AvFile(1.0);
    noVideo.streams[0] = fake::Audio(1, 4000);
    fake::File faster = fake::AvFile(1.0);
    faster.streams[1] = fake::Audio(2, 8000);
    const struct {
        fake::File first, second;
        std::string line;
    } cases[] = {
        {sound(44100, 2), sound(44100, 1),
         "audio 44100 Hz mono, the first file's is 44100 Hz stereo\n"},
        {fake::AvFile(1.0), vbr, "audio variable bit rate, the first file's is constant\n"},
        {fake::AvFile(1.0), noVideo, "no video stream to pair, the first file has one\n"},
        {fake::AvFile(1.0), faster, "audio 64000 bit/s, the first file's is 32000 bit/s\n"},
    };
    for (const auto& c : cases) {
        w.files[u"a.wmv"] = c.first;
        w.files[u"b.wmv"] = c.second;
        box.calls.clear();
        EXPECT_EQ(Join({"a.wmv", "b.wmv"}), E_FAIL);
        const std::vector<std::string> got = Messages();
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got[0], "Mismatch in Media types of both the Streams.\n" + c.line);
    }
}

// Every input is checked before a byte is written: a later one that cannot be joined refuses the
// whole join, named by its place in the list.
TEST_F(EngineTest, ALaterInputThatCannotBeJoinedRefusesTheJoinBeforeAnythingIsWritten) {
    w.files[u"a.wmv"] = Tagged(4.0, 'a');
    w.files[u"b.wmv"] = Tagged(3.0, 'b');
    fake::File c = Tagged(2.0, 'c');
    c.streams[0] = fake::Video(1, 0x31564D57, 200000);
    w.files[u"c.wmv"] = c;
    w.files[u"d.wmv"] = Tagged(1.0, 'd');

    EXPECT_EQ(Join({"a.wmv", "b.wmv", "c.wmv", "d.wmv"}), E_FAIL);
    const std::string named = "Input 3: c.wmv cannot be joined; nothing was written.\n";
    EXPECT_EQ(
        Messages(),
        (std::vector<std::string>{
            "Mismatch in Media types of both the Streams.\ncodec WMV1, the first file's is WMV2\n" +
                named,
            "Profile Mismatch\nCan not continue... Aborting the process\n" + named}));
    EXPECT_FALSE(Logged("writer.BeginWriting"));
    EXPECT_TRUE(w.written.empty());
}

// A later input failing while it is copied fails the join: nothing of it or after it is kept.
TEST_F(EngineTest, ALaterInputFailingMidCopyFailsTheWholeJoin) {
    w.files[u"a.wmv"] = Tagged(1.0, 'a');
    w.files[u"b.wmv"] = Tagged(1.0, 'b');
    w.files[u"c.wmv"] = Tagged(3.0, 'c');
    w.files[u"d.wmv"] = Tagged(1.0, 'd');
    w.failWriteAt = 4 + 4 + 2;  // a and b wrote 4 samples each; c fails on its third
    EXPECT_EQ(Join({"a.wmv", "b.wmv", "c.wmv", "d.wmv"}), MakeHr(0x80070070));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Error in WriteStreamSample (hr=0x80070070).\nInput 3: c.wmv\n",
                              "Stream copying failed for the second file (hr=0x80070070).\n"
                              "Input 3: c.wmv\n"}));
    EXPECT_FALSE(Logged("writer.EndWriting"));
    EXPECT_TRUE(From(w.written, 'd').empty());
}

TEST_F(EngineTest, FailureWhileTheFirstTwoAreCopiedEndsWithoutEndWriting) {
    w.files[u"a.wmv"] = fake::AvFile(2.0);
    w.files[u"b.wmv"] = fake::AvFile(2.0);
    w.failWriteAt = 1;
    EXPECT_EQ(Join({"a.wmv", "b.wmv"}), MakeHr(0x80070070));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Error in WriteStreamSample (hr=0x80070070).\nInput 1: a.wmv\n",
                              "Stream copying failed for the first file (hr=0x80070070).\n"
                              "Input 1: a.wmv\n"}));
    EXPECT_FALSE(Logged("writer.EndWriting"));
    EXPECT_FALSE(merger->OutputFinished());
}

TEST_F(EngineTest, UnknownStreamOfTheSecondInputFailsTheWrite) {
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    fake::File b = fake::AvFile(1.0);
    b.rogueStream = 9;
    w.files[u"b.wmv"] = b;
    EXPECT_EQ(Join({"a.wmv", "b.wmv"}), E_UNEXPECTED);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Error in WriteStreamSample (hr=0x8000ffff).\nInput 2: b.wmv\n",
                              "Stream copying failed for the second file (hr=0x8000ffff).\n"
                              "Input 2: b.wmv\n"}));
}

TEST_F(EngineTest, HeaderItemsAreCarriedToTheirInputsPlaces) {
    fake::File a = fake::AvFile(3.7);  // final clock 4 s, "Duration" 4 s
    a.header.SetQword(u"Duration", 37000000);
    a.header.SetString(u"Title", u"Sample AV Title");
    a.header.SetString(u"Author", u"Splicora Tests");
    a.header.SetString(u"WM/Genre", u"Test Pattern");
    a.header.Set(1, u"_MyAttribute", WMT_TYPE_DWORD, {7, 0, 0, 0});
    a.header.codecs = {{u"Video", u"v", WMT_CODECINFO_VIDEO, {1, 2}},
                       {u"Audio", u"", WMT_CODECINFO_AUDIO, {}}};
    a.header.markers = {{u"Intro", 0}, {u"Main", 2 * kSecond}};
    a.header.scripts = {{u"URL", u"a", kSecond}};
    fake::File b = fake::AvFile(3.0, u"Part Two");
    b.header.markers = {{u"B", 2 * kSecond}};
    b.header.scripts = {{u"URL", u"b", 2 * kSecond}};
    fake::File c = fake::AvFile(2.0);
    c.header.markers = {{u"C", kSecond}};
    c.header.scripts = {{u"TEXT", u"c", kSecond}};
    w.files[u"a.wmv"] = a;
    w.files[u"b.wmv"] = b;
    w.files[u"c.wmv"] = c;

    ASSERT_EQ(Join({"a.wmv", "b.wmv", "c.wmv"}), S_OK);
    EXPECT_TRUE(Messages().empty());  // absent attributes are skipped silently
    const fake::HeaderData& written = w.writerHeader;
    EXPECT_EQ(written.String(u"Title"), u"Sample AV Title");
    EXPECT_EQ(written.String(u"Author"), u"Splicora Tests");
    EXPECT_EQ(written.String(u"WM/Genre"), u"Test Pattern");
    EXPECT_EQ(written.String(u"Description"), u"<absent>");
    ASSERT_NE(written.Find(1, u"_MyAttribute"), nullptr);
    ASSERT_EQ(written.codecs.size(), 2u);
    EXPECT_EQ(written.codecs[0].name, u"Video");
    EXPECT_EQ(written.codecs[0].info, (std::vector<BYTE>{1, 2}));
    EXPECT_EQ(written.codecs[1].type, WMT_CODECINFO_AUDIO);

    const fake::HeaderData& out = w.onDisk[u"out.wmv"];
    std::vector<std::pair<std::u16string, QWORD>> markers, scripts;
    for (const auto& m : out.markers) markers.push_back({m.name, m.time});
    for (const auto& s : out.scripts) scripts.push_back({s.command, s.time});
    EXPECT_EQ(
        markers,
        (std::vector<std::pair<std::u16string, QWORD>>{
            {u"Intro", 0}, {u"Main", 2 * kSecond}, {u"B", 6 * kSecond}, {u"C", 8 * kSecond}}));
    // b's script goes by a's "Duration" (3.7 s), its samples and markers by the clock (4 s).
    EXPECT_EQ(scripts, (std::vector<std::pair<std::u16string, QWORD>>{
                           {u"a", kSecond}, {u"b", 57000000}, {u"c", 8 * kSecond}}));
}

TEST_F(EngineTest, ProtectedInputsAreRefused) {
    fake::File locked = fake::AvFile(1.0);
    locked.header.Set(0, u"Is_Protected", WMT_TYPE_BOOL, {1, 0, 0, 0});
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    w.files[u"b.wmv"] = fake::AvFile(1.0);
    w.files[u"locked.wmv"] = locked;

    EXPECT_EQ(Join({"locked.wmv", "b.wmv"}), MakeHr(0x80070005));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Protected attributes set for input file locked.wmv .\n",
                                        "First file is protected, cannot open, aborting...\n"}));
    box.calls.clear();
    EXPECT_EQ(Join({"a.wmv", "locked.wmv"}), MakeHr(0x80070005));
    EXPECT_EQ(Messages()[1], "Second file is protected, cannot open, aborting...\n");
    box.calls.clear();
    EXPECT_EQ(Join({"a.wmv", "b.wmv", "locked.wmv"}), MakeHr(0x80070005));
    const std::string named = "Input 3: locked.wmv cannot be joined; nothing was written.\n";
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Protected attributes set for input file locked.wmv .\n" + named,
                              "Second file is protected, cannot open, aborting...\n" + named}));
    EXPECT_FALSE(Logged("writer.BeginWriting"));
}

TEST_F(EngineTest, UnreadableProtectionAttributeIsReportedAndTheInputOpened) {
    fake::File a = fake::AvFile(1.0);
    a.header.attributes.erase(a.header.attributes.begin() + 1);  // Is_Protected
    w.files[u"a.wmv"] = a;
    w.files[u"b.wmv"] = fake::AvFile(1.0);
    EXPECT_EQ(Join({"a.wmv", "b.wmv"}), S_OK);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Error in getting Protected attribute for file a.wmv "
                                       "(hr=0xc00d07f0).\n"});
}

TEST_F(EngineTest, MissingInputIsReportedWithItsName) {
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    w.files[u"b.wmv"] = fake::AvFile(1.0);
    w.files[u"late.wmv"] = fake::AvFile(1.0);
    w.files[u"late.wmv"].openResult = NS_E_FILE_OPEN_FAILED;
    EXPECT_EQ(Join({"a.wmv", "b.wmv", "late.wmv"}), NS_E_FILE_OPEN_FAILED);
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "Open failed for second file late.wmv (hr=0xc00d001d).\n"
                              "Input 3: late.wmv cannot be joined; nothing was written.\n"});
    box.calls.clear();
    // The protection test meets a missing file first: one message with the runtime's reason,
    // never a word of protection.
    EXPECT_EQ(Join({"a.wmv", "gone.wmv"}), NS_E_FILE_NOT_FOUND);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Could not open file gone.wmv "
                                        "(hr=0xc00d001a): No such file or directory.\n"}));
}

TEST_F(EngineTest, FailedFlushOfThePostPassIsNotReportedAsSuccess) {
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    w.files[u"b.wmv"] = fake::AvFile(1.0);
    w.failing["editor.Flush"] = NS_E_FILE_WRITE;
    EXPECT_EQ(Join({"a.wmv", "b.wmv"}), NS_E_FILE_WRITE);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Could not Flush the Editor (hr=0xc00d0020).\n"});
    EXPECT_TRUE(merger->OutputFinished());
}

}  // namespace
