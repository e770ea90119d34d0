#include "reader_driver.h"

namespace asftool {

constexpr QWORD kClockStep = 10000000;

HRESULT ReaderDriver::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
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

void ReaderDriver::Signal(HRESULT hr) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status = hr;
    m_signalled = true;
    m_cv.notify_all();
}

HRESULT ReaderDriver::Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_signalled; });
    m_signalled = false;
    return m_status;
}

HRESULT ReaderDriver::OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE, BYTE*, void*) {
    switch (status) {
        case WMT_STARTED:
            m_clock = kClockStep;
            m_advanced->DeliverTime(m_clock);
            break;
        case WMT_EOF:
        case WMT_ERROR:
            if (m_playing) {
                m_playing = false;
                Signal(hr);
            }
            break;
        case WMT_OPENED:
        case WMT_STOPPED:
        case WMT_CLOSED:
            Signal(hr);
            break;
        default:
            break;
    }
    return S_OK;
}

HRESULT ReaderDriver::OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) {
    return S_OK;  // only compressed stream samples are asked for
}

HRESULT ReaderDriver::OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags,
                                     INSSBuffer* sample, void*) {
    HRESULT hr = m_sink ? m_sink(stream, time, duration, flags, sample) : S_OK;
    if (Failed(hr) && m_playing) {
        m_playing = false;
        Signal(hr);
    }
    return hr;
}

HRESULT ReaderDriver::OnTime(QWORD, void*) {
    m_clock += kClockStep;
    m_advanced->DeliverTime(m_clock);
    return S_OK;
}

HRESULT ReaderDriver::Open(const std::u16string& path) {
    HRESULT hr = wm::Query(m_reader, m_advanced);
    if (Failed(hr)) return hr;
    hr = m_reader->Open(path.c_str(), this, nullptr);
    return Failed(hr) ? hr : Wait();
}

HRESULT ReaderDriver::PlayAll(const SampleSink& sink) {
    m_sink = sink;
    wm::ComPtr<IWMProfile> profile;
    HRESULT hr = wm::Query(m_reader, profile);
    if (Failed(hr)) return hr;
    if (Failed(hr = m_advanced->SetManualStreamSelection(1))) return hr;
    DWORD count = 0;
    if (Failed(hr = profile->GetStreamCount(&count))) return hr;
    for (DWORD i = 0; i < count; ++i) {
        wm::ComPtr<IWMStreamConfig> config;
        WORD number = 0;
        if (Failed(hr = profile->GetStream(i, config.Out()))) return hr;
        if (Failed(hr = config->GetStreamNumber(&number))) return hr;
        if (Failed(hr = m_advanced->SetReceiveStreamSamples(number, 1))) return hr;
    }
    if (Failed(hr = m_advanced->SetUserProvidedClock(1))) return hr;
    m_playing = true;
    if (Failed(hr = m_reader->Start(0, 0, 1.0f, nullptr))) return hr;
    HRESULT played = Wait();
    if (Failed(hr = m_reader->Stop())) return hr;
    hr = Wait();
    return Failed(played) ? played : hr;
}

HRESULT ReaderDriver::Close() {
    HRESULT hr = m_reader->Close();
    return Failed(hr) ? hr : Wait();
}

}  // namespace asftool
