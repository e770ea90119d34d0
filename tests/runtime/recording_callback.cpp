#include "recording_callback.h"

HRESULT RecordingCallback::QueryInterface(REFIID iid, void** out) {
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

HRESULT RecordingCallback::OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE, BYTE*,
                                    void*) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Event e;
        e.kind = Event::Status;
        e.status = status;
        e.hr = hr;
        m_events.push_back(e);
        m_cv.notify_all();
    }
    if (status == WMT_STARTED && m_step && m_advanced) {
        m_clock = m_step;
        m_advanced->DeliverTime(m_clock);
    }
    return S_OK;
}

HRESULT RecordingCallback::OnSample(DWORD output, QWORD time, QWORD, DWORD, INSSBuffer*, void*) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Event e;
    e.kind = Event::Sample;
    e.stream = static_cast<WORD>(0x8000 | output);  // marks a decompressed-path delivery
    e.time = time;
    m_events.push_back(e);
    return S_OK;
}

HRESULT RecordingCallback::OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags,
                                          INSSBuffer* sample, void*) {
    BYTE* data = nullptr;
    DWORD length = 0;
    sample->GetBufferAndLength(&data, &length);
    std::lock_guard<std::mutex> lock(m_mutex);
    Event e;
    e.kind = Event::Sample;
    e.stream = stream;
    e.time = time;
    e.duration = duration;
    e.flags = flags;
    e.data.assign(data, data + length);
    m_events.push_back(std::move(e));
    return S_OK;
}

HRESULT RecordingCallback::OnTime(QWORD time, void*) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Event e;
        e.kind = Event::Time;
        e.time = time;
        m_events.push_back(e);
    }
    m_clock += m_step;
    if (m_advanced) m_advanced->DeliverTime(m_clock);
    return S_OK;
}

HRESULT RecordingCallback::WaitFor(WMT_STATUS status, WMT_STATUS orStatus) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_consumed.resize(m_events.size());
        for (size_t i = 0; i < m_events.size(); ++i) {
            const Event& e = m_events[i];
            if (e.kind == Event::Status && (e.status == status || e.status == orStatus) &&
                !m_consumed[i]) {
                m_consumed[i] = true;
                return e.hr;
            }
        }
        m_cv.wait(lock);
    }
}

std::vector<Event> RecordingCallback::Events() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<Event> RecordingCallback::Samples() {
    std::vector<Event> out;
    for (Event& e : Events())
        if (e.kind == Event::Sample) out.push_back(std::move(e));
    return out;
}
