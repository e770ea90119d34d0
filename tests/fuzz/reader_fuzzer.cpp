// The whole reader over a file in memory, driven to its end through a user clock in one-second
// steps, as the join engine drives it. A sample is never handed over before the clock has passed
// its time, and the samples never hold more bytes than the input.

#include <condition_variable>
#include <mutex>
#include <vector>

#include "fuzz_check.h"
#include "wm/reader.h"

namespace {

// An hour a step: fuzzed times weeks ahead are reached in a few hundred steps.
constexpr QWORD kClockStep = 36000000000;

class ClockCallback final : public IWMReaderCallback, public IWMReaderCallbackAdvanced {
  public:
    explicit ClockCallback(IWMReaderAdvanced* reader) : m_reader(reader) {}

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IWMReaderCallback || iid == IID_IUnknown) {
            *out = static_cast<IWMReaderCallback*>(this);
            return S_OK;
        }
        if (iid == IID_IWMReaderCallbackAdvanced) {
            *out = static_cast<IWMReaderCallbackAdvanced*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE, BYTE*, void*) override {
        if (status == WMT_STARTED) Advance();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.push_back({status, hr});
        m_cv.notify_all();
        return S_OK;
    }
    HRESULT OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) override { return S_OK; }
    HRESULT OnStreamSample(WORD, QWORD time, QWORD, DWORD, INSSBuffer* sample, void*) override {
        BYTE* data = nullptr;
        DWORD length = 0;
        sample->GetBufferAndLength(&data, &length);
        std::lock_guard<std::mutex> lock(m_mutex);
        FUZZ_CHECK(time < m_clock);
        m_bytes += length;
        return S_OK;
    }
    HRESULT OnTime(QWORD, void*) override {
        Advance();
        return S_OK;
    }
    HRESULT OnStreamSelection(WORD, WORD*, WMT_STREAM_SELECTION*, void*) override { return S_OK; }
    HRESULT OnOutputPropsChanged(DWORD, WM_MEDIA_TYPE*, void*) override { return S_OK; }
    HRESULT AllocateForStream(WORD, DWORD, INSSBuffer**, void*) override { return E_NOTIMPL; }
    HRESULT AllocateForOutput(DWORD, DWORD, INSSBuffer**, void*) override { return E_NOTIMPL; }

    // The answer of the first report of either kind not yet waited for.
    HRESULT WaitFor(WMT_STATUS status, WMT_STATUS orStatus) {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            for (; m_next < m_seen.size(); ++m_next) {
                if (m_seen[m_next].first == status || m_seen[m_next].first == orStatus)
                    return m_seen[m_next++].second;
            }
            m_cv.wait(lock);
        }
    }
    uint64_t Bytes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }

  private:
    void Advance() {
        QWORD clock;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            clock = m_clock += kClockStep;
        }
        m_reader->DeliverTime(clock);
    }

    IWMReaderAdvanced* m_reader;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::pair<WMT_STATUS, HRESULT>> m_seen;
    size_t m_next = 0;
    QWORD m_clock = 0;
    uint64_t m_bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto* reader = new wm::CReader();
    ClockCallback callback(reader);
    reader->UseSource(std::make_unique<asf::MemorySource>(std::vector<uint8_t>(data, data + size)));
    reader->Open(u"fuzz.wmv", &callback, nullptr);
    if (Succeeded(callback.WaitFor(WMT_OPENED, WMT_OPENED))) {
        reader->SetManualStreamSelection(1);
        DWORD count = 0;
        reader->GetStreamCount(&count);
        for (DWORD i = 0; i < count; ++i) {
            wm::ComPtr<IWMStreamConfig> config;
            WORD number = 0;
            if (Failed(reader->GetStream(i, config.Out()))) continue;
            config->GetStreamNumber(&number);
            reader->SetReceiveStreamSamples(number, 1);
        }
        reader->SetUserProvidedClock(1);
        reader->Start(0, 0, 1.0f, nullptr);
        callback.WaitFor(WMT_EOF, WMT_ERROR);
        reader->Stop();
        callback.WaitFor(WMT_STOPPED, WMT_STOPPED);
        FUZZ_CHECK(callback.Bytes() <= size);
    }
    reader->Close();
    callback.WaitFor(WMT_CLOSED, WMT_CLOSED);
    reader->Release();
    return 0;
}
