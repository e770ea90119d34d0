// The callback side of CMerger: runs on the runtime's reader threads.
#include <algorithm>

#include "merger.h"

namespace engine {

int16_t CMerger::ReadPhase() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_phase;
}

// The result is stored before the driver is woken.
void CMerger::Signal(HRESULT hr) {
    m_status = hr;
    if (m_event) m_event->Set();
}

WORD CMerger::MapStreamNumber(WORD n) {
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_streamMap) return 0;
    for (DWORD i = 0; i < m_streamCount; ++i)
        if (m_streamMap[m_streamCount + i] == n) return m_streamMap[i];
    return 0;
}

HRESULT CMerger::OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE, BYTE*, void*) {
    switch (status) {
        case WMT_ERROR:
        case WMT_EOF:
            // Only the first end of a segment reaches the driver, and not over a failure it
            // already has.
            if (m_endSeen.exchange(1)) break;
            if (ReadPhase() < 3 && !m_segmentFailed) {
                Signal(hr);
            }
            break;
        case WMT_OPENED:
            if (ReadPhase() < 3) {
                Signal(hr);
            }
            break;
        case WMT_STARTED: {
            int16_t phase;
            IWMReaderAdvanced* reader = nullptr;
            {
                std::lock_guard<std::mutex> g(m_lock);
                phase = ++m_phase;
                reader = phase == 1 ? m_readerAdvanced1 : phase == 2 ? m_readerAdvanced2 : nullptr;
                if (reader) reader->AddRef();
            }
            if (phase == 1) {
                m_clock1 = kClockStep;
                if (reader) reader->DeliverTime(m_clock1);
            } else if (phase == 2) {
                {
                    std::lock_guard<std::mutex> g(m_lock);
                    m_rebaseKnown = false;
                    m_rebase = 0;
                }
                m_clock2 = kClockStep;
                if (reader) reader->DeliverTime(m_clock2);
            }
            if (reader) reader->Release();
            m_segmentFailed = 0;
            m_endSeen = 0;
            break;
        }
        case WMT_STOPPED: {
            std::lock_guard<std::mutex> g(m_lock);
            if (m_phase == 2) {
                // Recorded by path-table position: a skipped input leaves its entry unused.
                if (m_currentInput >= 1 && m_currentInput <= kMaxOffsets) {
                    m_offsets[m_currentInput - 1] = m_clock1;
                    m_rebases[m_currentInput] = m_rebase;
                }
                ++m_offsetCount;
                m_phase = 3;
                m_clock1 += m_clock2 - std::min(m_rebase, m_clock2);
            }
        }
            ++m_stopsSeen;
            Signal(S_OK);
            break;
        case WMT_CLOSED:
            Signal(hr);
            break;
        default:
            break;
    }
    return S_OK;
}

void CMerger::FailSegment(HRESULT hr, const char* format) {
    if (m_segmentFailed.exchange(1)) return;
    if (format) ReportError(format, hr);
    Signal(hr);
}

HRESULT CMerger::OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) {
    if (m_event) {
        ReportError("Error: Received a decompressed sample from the reader.\n");
        m_segmentFailed = 1;
        Signal(E_UNEXPECTED);
    }
    return S_OK;
}

HRESULT CMerger::OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags,
                                INSSBuffer* sample, void*) {
    // After a failure or a stop request the rest of the segment is dropped quietly.
    if (m_segmentFailed) return S_OK;
    if (StopRequested()) {
        FailSegment(kJoinStopped);
        return S_OK;
    }
    HRESULT hr = S_OK;
    IWMWriterAdvanced* writer = nullptr;
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_phase == 1) {
            writer = m_writerAdvanced;
        } else if (m_phase == 2) {
            WORD mapped = 0;
            for (DWORD i = 0; m_streamMap && i < m_streamCount && !mapped; ++i)
                if (m_streamMap[m_streamCount + i] == stream) mapped = m_streamMap[i];
            if (mapped == 0) {
                hr = E_UNEXPECTED;
            } else {
                if (!m_rebaseKnown) {
                    m_rebaseKnown = true;
                    m_rebase = m_clock2 >= kClockStep ? m_clock2 - kClockStep : 0;
                }
                stream = mapped;
                time = m_clock1 + (time > m_rebase ? time - m_rebase : 0);
                writer = m_writerAdvanced;
            }
        } else {
            return S_OK;  // no segment is running: dropped
        }
        if (writer) writer->AddRef();
    }
    if (writer) {
        hr = writer->WriteStreamSample(stream, time, 0, duration, flags, sample);
        writer->Release();
        BYTE* data = nullptr;
        DWORD length = 0;
        if (Succeeded(hr) && Succeeded(sample->GetBufferAndLength(&data, &length)))
            m_bytesRunning += length;
    } else if (Succeeded(hr)) {
        hr = E_UNEXPECTED;  // no writer
    }
    if (Failed(hr)) FailSegment(hr, "Error in WriteStreamSample (hr=0x%08x).\n");
    return hr;
}

HRESULT CMerger::OnTime(QWORD, void*) {
    if (m_endSeen) return S_OK;
    if (StopRequested()) {
        FailSegment(kJoinStopped);
        return S_OK;
    }
    int16_t phase;
    IWMReaderAdvanced* reader = nullptr;
    {
        std::lock_guard<std::mutex> g(m_lock);
        phase = m_phase;
        reader = phase == 1 ? m_readerAdvanced1 : phase == 2 ? m_readerAdvanced2 : nullptr;
        if (reader) reader->AddRef();
    }
    if (!reader) return S_OK;
    QWORD released = 0;
    if (phase == 1)
        released = m_clock1 += kClockStep;
    else
        released = m_clock2 += kClockStep;
    HRESULT hr = reader->DeliverTime(released);
    reader->Release();
    if (Failed(hr)) ReportError("Error in DeliverTime (hr=0x%08x).\n", hr);
    return S_OK;
}

HRESULT CMerger::OnStreamSelection(WORD, WORD*, WMT_STREAM_SELECTION*, void*) { return S_OK; }

HRESULT CMerger::OnOutputPropsChanged(DWORD, WM_MEDIA_TYPE*, void*) { return S_OK; }

HRESULT CMerger::AllocateForStream(WORD, DWORD, INSSBuffer**, void*) { return E_NOTIMPL; }

HRESULT CMerger::AllocateForOutput(DWORD, DWORD, INSSBuffer**, void*) { return E_NOTIMPL; }

}  // namespace engine
