// The reader's user clock: what is delivered before each OnTime, and when the end comes.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "asf/header.h"
#include "test_files.h"
#include "wm/reader.h"

namespace {

constexpr QWORD kSecond = 10000000;

std::vector<TestSample> Samples() {
    return {{1, 0, true, {1}},
            {2, 0, false, {2}},
            {1, 5000000, false, {3}},
            {2, 12000000, false, {4}},
            {1, 29000000, true, {5}}};
}

// Rewrites the header of a written file through fn, keeping its size.
std::vector<uint8_t> WithHeader(std::vector<uint8_t> file, void (*fn)(asf::AsfHeader&)) {
    asf::MemorySource source(file);
    asf::AsfHeader h;
    asf::AsfLayout layout;
    std::string error;
    EXPECT_TRUE(asf::ReadAsfStructure(source, h, layout, error)) << error;
    fn(h);
    std::vector<uint8_t> bytes = h.Render(h.paddingSize);
    EXPECT_EQ(bytes.size(), layout.headerSize);
    std::copy(bytes.begin(), bytes.end(), file.begin());
    return file;
}

// Each sample must come after OnTime(T - step) and before OnTime(T) of the T that released it.
void ExpectPaced(const std::vector<Event>& events) {
    QWORD released = kSecond;
    for (const Event& e : events) {
        if (e.kind == Event::Time) {
            EXPECT_EQ(e.time, released);
            released += kSecond;
        } else if (e.kind == Event::Sample) {
            EXPECT_LT(e.time, released);
            EXPECT_GE(e.time + kSecond, released);
        }
    }
}

std::vector<QWORD> Times(const std::vector<Event>& events, Event::Kind kind) {
    std::vector<QWORD> out;
    for (const Event& e : events)
        if (e.kind == kind) out.push_back(e.time);
    return out;
}

TEST(ReaderClock, DeliversEachSecondThenEndsOnTheFirstSecondPastTheContent) {
    std::vector<uint8_t> file = WriteTestFile(Samples());
    ASSERT_FALSE(file.empty());
    std::vector<Event> events = ReadTestFile(file, kSecond);
    ExpectPaced(events);
    EXPECT_EQ(Times(events, Event::Sample).size(), 5u);
    // The last frame, at 2.9 s, lasts its stream's 0.5 s step: the content ends at 3.4 s, so
    // OnTime for 1 s, 2 s and 3 s, then the end once 4 s is released.
    EXPECT_EQ(Times(events, Event::Time), (std::vector<QWORD>{kSecond, 2 * kSecond, 3 * kSecond}));
    bool endAfterLastTime = false;
    for (const Event& e : events)
        if (e.kind == Event::Status && e.status == WMT_EOF) endAfterLastTime = true;
    EXPECT_TRUE(endAfterLastTime);
}

TEST(ReaderClock, DeclaredDurationExtendsTheEndWhenPlausible) {
    std::vector<uint8_t> file = WriteTestFile(Samples());
    std::vector<uint8_t> longer = WithHeader(file, [](asf::AsfHeader& h) {
        h.file.playDuration = h.file.preroll * 10000 + 35000000;  // 3.5 s
    });
    EXPECT_EQ(Times(ReadTestFile(longer, kSecond), Event::Time).size(), 3u);  // ends at 4 s

    std::vector<uint8_t> absurd = WithHeader(file, [](asf::AsfHeader& h) {
        h.file.playDuration = h.file.preroll * 10000 + 3600 * kSecond;
    });
    EXPECT_EQ(Times(ReadTestFile(absurd, kSecond), Event::Time).size(), 2u);  // ignored
}

TEST(ReaderClock, AStreamWaitingForItsTimeDoesNotHoldUpTheOthers) {
    // In file order stream 1's 1.5 s sample comes before stream 2's 0.8 s one.
    std::vector<Event> events =
        ReadTestFile(WriteTestFile({{1, 15000000, true, {1}}, {2, 8000000, false, {2}}}), kSecond);
    ExpectPaced(events);
    std::vector<QWORD> samples = Times(events, Event::Sample);
    EXPECT_EQ(samples, (std::vector<QWORD>{8000000, 15000000}));
}

TEST(ReaderClock, StreamOrderIsKeptWhenTimesGoBack) {
    // Decode order of B-frames: 0, 120 ms, 40 ms, 80 ms.
    std::vector<Event> events = ReadTestFile(WriteTestFile({{1, 0, true, {1}},
                                                            {1, 1200000, false, {2}},
                                                            {1, 400000, false, {3}},
                                                            {1, 800000, false, {4}}}),
                                             kSecond);
    std::vector<Event> samples;
    for (const Event& e : events)
        if (e.kind == Event::Sample) samples.push_back(e);
    ASSERT_EQ(samples.size(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(samples[i].data[0], i + 1);
}

TEST(ReaderClock, EachSampleComesInTheFirstSecondItsStreamAllowsInFileOrder) {
    // Two streams in stretches of 1 to 7 samples, stream 1's times going back now and then,
    // over several read blocks; some samples are split between packets. Times follow the
    // file, as in files that interleave their streams.
    std::vector<TestSample> samples;
    uint32_t seed = 12345;
    for (uint16_t stream = 1; samples.size() < 4000; stream = 3 - stream) {
        seed = seed * 1103515245 + 12345;
        for (uint32_t run = 1 + (seed >> 16) % 7; run > 0 && samples.size() < 4000; --run) {
            const size_t i = samples.size();
            QWORD time = i * 230000;
            if (stream == 1 && i % 5 == 0 && i >= 4) time -= 4 * 230000;
            std::vector<BYTE> data(300, BYTE(stream));
            data[0] = BYTE(i);
            data[1] = BYTE(i >> 8);
            samples.push_back({stream, time, i % 50 == 0, std::move(data)});
        }
    }
    // A sample goes once every earlier one of its stream is due: in the first second past all
    // their times; within that second, in file order.
    std::vector<std::pair<QWORD, size_t>> expected;  // second released, index
    QWORD held[3] = {0, 0, 0};
    for (size_t i = 0; i < samples.size(); ++i) {
        QWORD& release = held[samples[i].stream];
        release = std::max(release, (samples[i].time / kSecond + 1) * kSecond);
        expected.push_back({release, i});
    }
    std::sort(expected.begin(), expected.end());

    std::vector<std::pair<QWORD, size_t>> delivered;
    QWORD released = kSecond;
    for (const Event& e : ReadTestFile(WriteTestFile(samples), kSecond)) {
        if (e.kind == Event::Time) released += kSecond;
        if (e.kind == Event::Sample && e.data.size() == 300)
            delivered.push_back({released, size_t(e.data[0] | e.data[1] << 8)});
    }
    EXPECT_EQ(delivered, expected);
}

TEST(ReaderClock, WithoutAUserClockEverythingComesAtOnce) {
    std::vector<Event> events = ReadTestFile(WriteTestFile(Samples()), 0);
    EXPECT_TRUE(Times(events, Event::Time).empty());
    EXPECT_EQ(Times(events, Event::Sample).size(), 5u);
}

TEST(ReaderClock, StatusReportsFollowTheOperations) {
    std::vector<Event> events = ReadTestFile(WriteTestFile(Samples()), kSecond);
    std::vector<WMT_STATUS> statuses;
    for (const Event& e : events)
        if (e.kind == Event::Status) statuses.push_back(e.status);
    EXPECT_EQ(statuses,
              (std::vector<WMT_STATUS>{WMT_OPENED, WMT_STARTED, WMT_EOF, WMT_STOPPED, WMT_CLOSED}));
    for (const Event& e : events) {
        if (e.kind == Event::Sample) {
            EXPECT_LT(e.stream, 0x8000) << "sample went to OnSample";
        }
    }
}

// A client that holds the only reference to its reader and drops it in the reader's own
// callback, then waits for the reader to let go of it.
class ReleasingCallback : public IWMReaderCallback {
  public:
    explicit ReleasingCallback(IWMReader* reader) : m_reader(reader) {}
    HRESULT QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return ++m_refs;
    }
    ULONG Release() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (--m_refs == 0) m_changed.notify_all();
        return m_refs;
    }
    HRESULT OnStatus(WMT_STATUS status, HRESULT, WMT_ATTR_DATATYPE, BYTE*, void*) override {
        IWMReader* last = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_statuses.push_back(status);
            m_changed.notify_all();
            if (status == WMT_STARTED) last = std::exchange(m_reader, nullptr);
        }
        if (last) last->Release();
        return S_OK;
    }
    HRESULT OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) override { return S_OK; }

    // Waits until pred holds; false after ten seconds.
    template <class Pred>
    bool WaitUntil(Pred pred) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return pred(*this); });
    }
    IWMReader* m_reader;
    ULONG m_refs = 0;
    std::vector<WMT_STATUS> m_statuses;

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

TEST(ReaderClock, AReaderReleasedInItsOwnCallbackStopsAndLetsGoOfTheCallback) {
    auto* reader = new wm::CReader();
    ReleasingCallback callback(reader);
    std::vector<TestSample> many;
    for (int i = 0; i < 2000; ++i) many.push_back({1, QWORD(i) * 100000, i % 50 == 0, {BYTE(i)}});
    reader->UseSource(std::make_unique<asf::MemorySource>(WriteTestFile(many)));
    ASSERT_EQ(reader->Open(u"memory.wmv", &callback, nullptr), S_OK);
    ASSERT_TRUE(callback.WaitUntil([](auto& c) { return !c.m_statuses.empty(); }));
    ASSERT_EQ(callback.m_statuses[0], WMT_OPENED);
    ASSERT_EQ(reader->Start(0, 0, 1.0f, nullptr), S_OK);
    // The reader goes on its worker once the callback returns; it plays no further.
    EXPECT_TRUE(callback.WaitUntil([](auto& c) { return c.m_refs == 0; }));
    EXPECT_EQ(callback.m_statuses, (std::vector<WMT_STATUS>{WMT_OPENED, WMT_STARTED}));
}

TEST(ReaderClock, OpenFailuresAnswerThroughTheCallback) {
    HRESULT hr = S_OK;
    ReadTestFile(std::vector<uint8_t>(100, 0x42), kSecond, &hr);
    EXPECT_EQ(hr, NS_E_INVALID_INPUT_FORMAT);
}

}  // namespace
