// The engine's pieces on their own: message formatting, path checks, media-type comparison, the
// callbacks' phase and signal rules, and the object's life.

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "engine_test_support.h"
#include "input_end.h"
#include "join_checks.h"
#include "platform/temp_folder.h"
#include "staged_output.h"
#include "stream_table.h"
#include "wide_string.h"

namespace {

using engine::MergerProbe;
constexpr QWORD kSecond = 10000000;

TEST_F(EngineTest, ReportErrorFormatsIntoOneTaskModalWarningWithoutOwnerOrCaption) {
    engine::ReportError("Could not open first input file %s (hr=0x%08x).\n",
                        engine::ShownName(u"/v/\u00e9t\u00e9.wmv").c_str(), E_FAIL);
    engine::ReportError("Could not get Stream %d from IWMProfile (hr=0x%08x).\n", -3, 0x1234);
    engine::ReportError("[%5d|%-4s|%.2s|%X|%%|%c]", 42, "ab", "xyz", 0xbeef, 'q');
    std::string longText(3000, 'x');
    engine::ReportError("%s", longText.c_str());
    ASSERT_EQ(box.calls.size(), 4u);
    EXPECT_EQ(box.calls[0].text,
              "Could not open first input file /v/\u00e9t\u00e9.wmv (hr=0x80004005).\n");
    EXPECT_EQ(box.calls[1].text, "Could not get Stream -3 from IWMProfile (hr=0x00001234).\n");
    EXPECT_EQ(box.calls[2].text, "[   42|ab  |xy|BEEF|%|q]");
    EXPECT_EQ(box.calls[3].text.size(), 1023u);
    for (const auto& c : box.calls) {
        EXPECT_EQ(c.flags, 0x2030u);
        EXPECT_FALSE(c.hasOwner);
        EXPECT_FALSE(c.hasCaption);
    }
    EXPECT_EQ(engine::CMerger::ReportError("%s", "x"), 1);
}

TEST_F(EngineTest, MessagesAreValidUtf8WhateverTheWideTextHolds) {
    // Lone surrogates (escaped bytes too) show as U+FFFD; pairs and null names stay readable.
    const char16_t lone[] = {u'a', 0xDCFF, 0xD800, u'b', 0};
    engine::ReportError("%s|%s|%s", engine::ShownName(lone).c_str(),
                        engine::ShownName(u"\U0001F600z").c_str(),
                        engine::ShownName(nullptr).c_str());
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_EQ(box.calls[0].text, "a\uFFFD\uFFFDb|\U0001F600z|(null)");
}

// The first box stays open until a report from another thread has been shown too (or 20 s).
class BoxWaitingForAnotherReport : public platform::IMessageBox {
  public:
    int Show(void*, const char* text, const char*, unsigned) override {
        std::unique_lock<std::mutex> lock(m_lock);
        texts.push_back(text);
        m_shown.notify_all();
        if (texts.size() == 1) {
            other = std::thread([] { engine::ReportError("from the other thread\n"); });
            otherShownMeanwhile = m_shown.wait_for(lock, std::chrono::seconds(20),
                                                   [this] { return texts.size() == 2; });
        }
        return IDOK;
    }
    std::vector<std::string> texts;
    std::thread other;
    bool otherShownMeanwhile = false;

  private:
    std::mutex m_lock;
    std::condition_variable m_shown;
};

TEST(ReportErrorTest, NoLockIsHeldWhileABoxIsOpen) {
    BoxWaitingForAnotherReport box;
    platform::Services fakes;
    fakes.messageBox = &box;
    platform::ScopedServices installed(fakes);
    engine::ScopedReportContext context("Input 2: /v/b.wmv");
    engine::ReportError("first\n");
    box.other.join();
    EXPECT_TRUE(box.otherShownMeanwhile);
    EXPECT_EQ(box.texts, (std::vector<std::string>{"first\nInput 2: /v/b.wmv\n",
                                                   "from the other thread\nInput 2: /v/b.wmv\n"}));
}

TEST_F(EngineTest, DottedCapitalIIsNotTheDotlessSmallI) {
    EXPECT_EQ(engine::CheckJoinNames("/v/\u0130.wmv", "/v/b.wmv", "/v/\u0131.wmv"), S_OK);
    EXPECT_EQ(engine::CheckJoinNames("/v/\u0418.wmv", "/v/b.wmv", "/v/\u0438.WMV"), E_INVALIDARG);
}

TEST(JoinChecksTest, ToWideStringCarriesEveryFileName) {
    std::u16string wide;
    EXPECT_EQ(engine::ToWideString(nullptr, &wide), E_INVALIDARG);
    EXPECT_EQ(engine::ToWideString("a", nullptr), E_INVALIDARG);
    EXPECT_TRUE(wide.empty());
    // Bytes that are not UTF-8 (a stray byte, an overlong slash, an encoded surrogate) reach
    // the runtime's file name unchanged.
    const char* raw = "/v/bad\xff\xc0\xaf\xed\xb2\x80\xc3\xa9.wmv";
    ASSERT_EQ(engine::ToWideString(raw, &wide), S_OK);
    EXPECT_EQ(std::u16string(wide).substr(0, 8), u"/v/bad\xDCFF\xDCC0");
    EXPECT_EQ(wm::ToUtf8(wide), raw);
    ASSERT_EQ(engine::ToWideString("/v/\xc3\xa9\xf0\x9f\x98\x80.wmv", &wide), S_OK);
    EXPECT_EQ(std::u16string(wide), u"/v/\u00e9\U0001F600.wmv");
}

TEST_F(EngineTest, SameNameChecksRefuseOnlyTheFirstTwoInputsIgnoringCase) {
    EXPECT_EQ(engine::CheckJoinNames("/v/Clip.wmv", "/v/b.wmv", "/v/clip.WMV"), E_INVALIDARG);
    EXPECT_EQ(engine::CheckJoinNames("/v/a.wmv", "/v/\u00c9t\u00e9.wmv", "/v/\u00e9t\u00e9.wmv"),
              E_INVALIDARG);
    EXPECT_EQ(engine::CheckJoinNames("/v/a.wmv", "/v/b.wmv", "/v/c.wmv"), S_OK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "First file name and destination file name are same. This is not "
                              "allowed.\n",
                              "Second file name and destination file name are same. This is not "
                              "allowed.\n"}));
}

TEST(JoinChecksTest, SameFileIsFoundThroughOtherSpellingsAndLinks) {
    namespace fs = std::filesystem;
    TempFolder temp;
    fs::path dir = temp.Path();
    ASSERT_FALSE(dir.empty());
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "a.wmv") << "a";
    std::ofstream(dir / "b.wmv") << "b";
    fs::create_symlink(dir / "a.wmv", dir / "link.wmv");
    fs::create_hard_link(dir / "a.wmv", dir / "hard.wmv");
    std::string a = (dir / "a.wmv").string();
    EXPECT_TRUE(engine::IsSameFile(a.c_str(), (dir / "sub/../a.wmv").c_str()));
    EXPECT_TRUE(engine::IsSameFile(a.c_str(), (dir / "link.wmv").c_str()));
    EXPECT_TRUE(engine::IsSameFile(a.c_str(), (dir / "hard.wmv").c_str()));
    EXPECT_FALSE(engine::IsSameFile(a.c_str(), (dir / "b.wmv").c_str()));
    EXPECT_FALSE(engine::IsSameFile(a.c_str(), (dir / "none.wmv").c_str()));
}

// The output is staged beside its name; a file found there at the end is replaced only when the
// user allowed it, and a staged file not committed is gone.
TEST(StagedOutputTest, AFileAtTheOutputNameIsReplacedOnlyWhenAllowed) {
    namespace fs = std::filesystem;
    TempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    const std::string out = temp.Path() + "/out.wmv";
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    platform::RecordingMessageBox box;
    platform::Services services;
    services.messageBox = &box;
    platform::ScopedServices installed(services);
    {
        engine::StagedOutput staged(out);
        ASSERT_EQ(staged.Create(), S_OK);
        staged.Vacate();  // the name stays, for a file that arrives by rename
        EXPECT_FALSE(fs::exists(staged.Path()));
        std::ofstream(staged.Path()) << "new";
        std::ofstream(out) << "appeared meanwhile";
        EXPECT_LT(staged.Commit(false), 0);
        ASSERT_EQ(box.calls.size(), 1u);
        EXPECT_NE(box.calls[0].text.find(out + " appeared while the files were joined"),
                  std::string::npos);
        EXPECT_EQ(read(out), "appeared meanwhile");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), {}), 1);  // staged file gone
    engine::StagedOutput staged(out);
    ASSERT_EQ(staged.Create(), S_OK);
    std::ofstream(staged.Path()) << "new";
    EXPECT_EQ(staged.Commit(true), S_OK);
    EXPECT_EQ(read(out), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), {}), 1);
}

// Media types as a profile hands them out: one block with its format behind it.
struct TypeBlock {
    explicit TypeBlock(const fake::Stream& s) : bytes(sizeof(WM_MEDIA_TYPE) + s.format.size()) {
        auto* t = Get();
        *t = s.head;
        t->cbFormat = ULONG(s.format.size());
        t->pbFormat = reinterpret_cast<BYTE*>(t + 1);
        std::copy(s.format.begin(), s.format.end(), t->pbFormat);
    }
    WM_MEDIA_TYPE* Get() { return reinterpret_cast<WM_MEDIA_TYPE*>(bytes.data()); }
    std::vector<uint64_t> storage;
    std::vector<BYTE> bytes;
};

TEST(SameMediaTypeTest, BitRateFieldsAreIgnoredOnlyBetweenVbrStreams) {
    auto same = [](const fake::Stream& a, const fake::Stream& b, BOOL vbr) {
        TypeBlock x(a), y(b);
        return engine::SameMediaType(x.Get(), y.Get(), vbr);
    };
    fake::Stream v1 = fake::Video(1, 0x32564D57, 200000), v2 = fake::Video(2, 0x32564D57, 300000);
    fake::Stream a1 = fake::Audio(1, 4000), a2 = fake::Audio(2, 6000);
    EXPECT_TRUE(same(v1, v2, 1));
    EXPECT_FALSE(same(v1, v2, 0));
    EXPECT_TRUE(same(a1, a2, 1));
    EXPECT_FALSE(same(a1, a2, 0));
    EXPECT_FALSE(same(v1, fake::Video(1, 0x31564D57, 200000), 1));
    EXPECT_FALSE(same(v1, a1, 1));
    // A format block too short to hold the field is compared whole, never written past.
    fake::Stream shortWave = a1, shortWave2 = a2;
    shortWave.format.resize(10);
    shortWave2.format.resize(10);
    EXPECT_FALSE(same(shortWave, shortWave2, 1));
}

class CallbackTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        fake::File a = fake::AvFile(1.0), b = fake::AvFile(1.0);
        w.files[u"a.wmv"] = a;
        w.files[u"b.wmv"] = b;
        merger = std::make_unique<engine::CMerger>(w.Runtime());
        merger->SetInputPaths({"a.wmv", "b.wmv"});
        ASSERT_EQ(merger->Init(), S_OK);
        BOOL match = 0;
        ASSERT_EQ(merger->OpenInputs(u"a.wmv", u"b.wmv", &match), S_OK);
        ASSERT_EQ(match, 1);
        ASSERT_EQ(merger->Configure(u"out.wmv"), S_OK);
        w.deliveredTimes.clear();
    }
    void Status(WMT_STATUS s, HRESULT hr = S_OK) {
        merger->OnStatus(s, hr, WMT_TYPE_DWORD, nullptr, nullptr);
    }
    HRESULT Sample(WORD stream, QWORD time) {
        return merger->OnStreamSample(stream, time, 1, 0, nullptr, nullptr);
    }
};

TEST_F(CallbackTest, PhaseWalksWithStartsAndStopsAndEachStopInPhaseTwoRecordsAnOffset) {
    Status(WMT_STARTED);
    EXPECT_EQ(MergerProbe::Phase(*merger), 1);
    EXPECT_EQ(w.deliveredTimes, std::vector<QWORD>{kSecond});
    merger->OnTime(0, nullptr);
    merger->OnTime(0, nullptr);
    EXPECT_EQ(MergerProbe::Clock1(*merger), 3 * kSecond);
    Status(WMT_EOF);
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    merger->OnTime(0, nullptr);  // after the end the clock stays
    EXPECT_EQ(MergerProbe::Clock1(*merger), 3 * kSecond);

    Status(WMT_STOPPED, E_FAIL);  // phase 1: nothing recorded, S_OK whatever hr says
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    EXPECT_EQ(MergerProbe::Status(*merger), S_OK);
    EXPECT_EQ(MergerProbe::OffsetCount(*merger), 0);
    EXPECT_EQ(MergerProbe::Phase(*merger), int16_t(engine::JoinPhase::Armed));
    EXPECT_EQ(Sample(1, 0), S_OK);  // a late sample of reader 1 is not written unshifted
    EXPECT_TRUE(w.written.empty());

    Status(WMT_STARTED);
    EXPECT_EQ(MergerProbe::Phase(*merger), 2);
    merger->OnTime(0, nullptr);
    Status(WMT_STOPPED);
    EXPECT_EQ(MergerProbe::Phase(*merger), 3);
    EXPECT_EQ(MergerProbe::OffsetCount(*merger), 1);
    EXPECT_EQ(merger->InputOffset(1), 3 * kSecond);
    EXPECT_EQ(MergerProbe::Clock1(*merger), 5 * kSecond);  // 3 s + the second reader's 2 s
    MergerProbe::TakeSignal(*merger);

    Status(WMT_STARTED);  // phase 3 moves on but drives no clock
    EXPECT_EQ(MergerProbe::Phase(*merger), 4);
    EXPECT_EQ(w.deliveredTimes.size(), 5u);  // 1 s, 2 s, 3 s, then 1 s, 2 s
}

TEST_F(CallbackTest, OnlyTheFirstEndOfASegmentSignals) {
    Status(WMT_STARTED);
    Status(WMT_EOF, S_OK);
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    Status(WMT_EOF, E_FAIL);
    Status(WMT_ERROR, E_FAIL);
    EXPECT_FALSE(MergerProbe::TakeSignal(*merger));
    EXPECT_EQ(MergerProbe::Status(*merger), S_OK);

    Status(WMT_STOPPED);
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    Status(WMT_STARTED);  // a new segment clears the flag
    Status(WMT_ERROR, NS_E_FILE_READ);
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    EXPECT_EQ(MergerProbe::Status(*merger), NS_E_FILE_READ);

    MergerProbe::SetPhase(*merger, 3);  // in phase 3 opens and ends are silent
    Status(WMT_OPENED, E_FAIL);
    EXPECT_FALSE(MergerProbe::TakeSignal(*merger));
    Status(WMT_CLOSED, S_OK);  // closes always signal
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
}

TEST_F(CallbackTest, SamplesOutsideASegmentAreDroppedAndUnknownStreamsFail) {
    EXPECT_EQ(Sample(1, 0), S_OK);  // phase 0
    MergerProbe::SetPhase(*merger, 3);
    EXPECT_EQ(Sample(1, 0), S_OK);
    EXPECT_TRUE(w.written.empty());
    MergerProbe::SetPhase(*merger, 2);
    EXPECT_EQ(Sample(7, 0), E_UNEXPECTED);
    EXPECT_TRUE(w.written.empty());
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    EXPECT_EQ(MergerProbe::Status(*merger), E_UNEXPECTED);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Error in WriteStreamSample (hr=0x8000ffff).\n"});
}

TEST_F(CallbackTest, DecompressedSampleAndFailedDeliverTimeAreReported) {
    EXPECT_EQ(merger->OnSample(0, 0, 0, 0, nullptr, nullptr), S_OK);
    EXPECT_TRUE(MergerProbe::TakeSignal(*merger));
    EXPECT_EQ(MergerProbe::Status(*merger), E_UNEXPECTED);
    w.failing["reader1.DeliverTime"] = E_UNEXPECTED;
    Status(WMT_STARTED);  // the first release's failure is not reported
    merger->OnTime(0, nullptr);
    EXPECT_FALSE(MergerProbe::TakeSignal(*merger));  // a failed release does not wake the driver
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Error: Received a decompressed sample from the reader.\n",
                                        "Error in DeliverTime (hr=0x8000ffff).\n"}));
    EXPECT_EQ(merger->AllocateForStream(1, 10, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(merger->AllocateForOutput(1, 10, nullptr, nullptr), E_NOTIMPL);
}

TEST_F(EngineTest, QueryInterfaceOffersTheTwoCallbackInterfacesOnly) {
    engine::CMerger m(w.Runtime());
    void* out = &m;
    EXPECT_EQ(m.QueryInterface(IID_IWMReader, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(m.QueryInterface(IID_IWMReaderCallbackAdvanced, &out), S_OK);
    EXPECT_EQ(out, static_cast<IWMReaderCallbackAdvanced*>(&m));
    ASSERT_EQ(m.QueryInterface(IID_IWMReaderCallback, &out), S_OK);
    EXPECT_EQ(out, static_cast<IWMReaderCallback*>(&m));
    EXPECT_EQ(m.Release(), 2u);
    EXPECT_EQ(m.Release(), 1u);
}

TEST_F(EngineTest, FailedInitLeavesOpenInputsAndConfigureRefusingWithoutMessage) {
    w.readerCreation[2] = E_OUTOFMEMORY;
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    engine::CMerger m(w.Runtime());
    EXPECT_EQ(m.Init(), E_OUTOFMEMORY);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Could not create second reader (hr=0x8007000e).\n"});
    BOOL match = 5;
    EXPECT_EQ(m.OpenInputs(u"a.wmv", u"a.wmv", &match), E_INVALIDARG);
    EXPECT_EQ(m.Configure(u"out.wmv"), E_INVALIDARG);
    EXPECT_EQ(m.Merge(), E_INVALIDARG);
    EXPECT_EQ(box.calls.size(), 1u);
}

TEST_F(EngineTest, CleanupReleasesEverythingOnceAndMayBeRepeated) {
    w.files[u"a.wmv"] = fake::AvFile(1.0);
    w.files[u"b.wmv"] = fake::AvFile(1.0);
    w.files[u"c.wmv"] = fake::AvFile(1.0);
    {
        engine::CMerger m(w.Runtime());
        m.SetInputPaths({"a.wmv", "b.wmv", "c.wmv"});
        BOOL match = 0;
        ASSERT_EQ(m.Init(), S_OK);
        ASSERT_EQ(m.OpenInputs(u"a.wmv", u"b.wmv", &match), S_OK);
        ASSERT_EQ(m.Configure(u"out.wmv"), S_OK);
        ASSERT_EQ(m.Merge(), S_OK);
        EXPECT_EQ(m.Cleanup(), S_OK);
        EXPECT_EQ(w.live, 0);
        EXPECT_EQ(m.AddRef(), 2u);  // the readers gave back every reference they held
        m.Release();
        size_t logged = w.log.size();
        EXPECT_EQ(m.Cleanup(), S_OK);
        EXPECT_EQ(w.log.size(), logged);
    }
    EXPECT_EQ(w.live, 0);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace

// An audio block without a duration lasts its bytes over the format's bytes per second, each
// block by its own size, whatever the size of the block before.
TEST(InputEndTest, AudioBlocksLastTheirOwnBytesOverTheRate) {
    std::vector<BYTE> wave(18, 0);
    const DWORD bytesPerSecond = 8000;
    std::memcpy(wave.data() + 8, &bytesPerSecond, sizeof bytesPerSecond);
    WM_MEDIA_TYPE type{};
    type.formattype = WMFORMAT_WaveFormatEx;
    type.cbFormat = ULONG(wave.size());
    type.pbFormat = wave.data();
    engine::InputEnd end;
    end.SetFormat(1, &type);
    auto add = [&](QWORD time, DWORD bytes) { end.Add({1, time, 0, 0, nullptr}, bytes); };
    add(0, 800);
    EXPECT_EQ(end.End(), kSecond / 10);
    add(kSecond, 1600);
    EXPECT_EQ(end.End(), kSecond + kSecond / 5);
    add(2 * kSecond, 800);
    EXPECT_EQ(end.End(), 2 * kSecond + kSecond / 10);
    add(3 * kSecond, 0);  // nothing to last: the stream's usual step then
    EXPECT_EQ(end.End(), 4 * kSecond);
}

TEST(JoinPhaseTest, ReaderTwoIsArmedBetweenInputsAndOnlyPlayingPhasesWrite) {
    using engine::JoinPhase;
    using engine::NextPhase;
    using engine::PhaseEvent;
    // The walk of a three-input join.
    JoinPhase p = JoinPhase::Idle;
    const std::pair<PhaseEvent, JoinPhase> walk[] = {
        {PhaseEvent::Started, JoinPhase::FirstPlaying},
        {PhaseEvent::Stopped, JoinPhase::Armed},
        {PhaseEvent::Started, JoinPhase::SecondPlaying},
        {PhaseEvent::Stopped, JoinPhase::SecondStopped},
        {PhaseEvent::Armed, JoinPhase::Armed},
        {PhaseEvent::Started, JoinPhase::SecondPlaying},
        {PhaseEvent::Stopped, JoinPhase::SecondStopped},
        {PhaseEvent::Started, JoinPhase::Stray},  // nothing armed
    };
    for (const auto& [event, expected] : walk) EXPECT_EQ(p = NextPhase(p, event), expected);
    for (JoinPhase q :
         {JoinPhase::Idle, JoinPhase::Armed, JoinPhase::SecondStopped, JoinPhase::Stray})
        EXPECT_FALSE(engine::WritesSamples(q));
}

TEST(DriverEventsTest, TheDriverTakesTheReportItWaitsForAndCountsTheStraysBeforeIt) {
    engine::CDriverEvents events;
    std::thread callbacks([&] {
        events.Push({WMT_ERROR, E_FAIL});  // a second failure of the segment
        events.Push({WMT_EOF, S_OK});      // its end, after the failure
        events.Push({WMT_STOPPED, S_OK});
        events.Push({WMT_CLOSED, S_OK});  // a late close before the next open
        events.Push({WMT_OPENED, NS_E_FILE_READ});
    });
    EXPECT_EQ(events.WaitFor({WMT_STOPPED}).hr, S_OK);
    EXPECT_EQ(events.Strays(), 2u);
    HRESULT opened = events.WaitFor({WMT_OPENED}).hr;
    EXPECT_EQ(opened, NS_E_FILE_READ);
    EXPECT_EQ(events.Strays(), 3u);
    callbacks.join();
    EXPECT_FALSE(events.TryPop().has_value());
}
