// The callback side of CMerger: runs on the runtime's reader threads.
#include <algorithm>

#include "merger.h"

namespace engine {

JoinPhase CMerger::ReadPhase() {
    std::lock_guard<SampleLock> g(m_lock);
    return m_phase;
}

// Called under m_lock.
wm::ComPtr<IWMReaderAdvanced> CMerger::PacedReader() const {
    if (m_phase == JoinPhase::FirstPlaying) return m_readerAdvanced1;
    if (m_phase == JoinPhase::SecondPlaying) return m_readerAdvanced2;
    return nullptr;
}

void CMerger::Report(WMT_STATUS status, HRESULT hr) {
    if (m_event) m_event->Push({status, hr});
}

HRESULT CMerger::WaitFor(std::initializer_list<WMT_STATUS> kinds) {
    m_status = m_event->WaitFor(kinds).hr;
    return m_status;
}

WORD CMerger::MapStreamNumber(WORD n) {
    std::lock_guard<SampleLock> g(m_lock);
    return m_streamMap.WriterStreamFor(n);
}

HRESULT CMerger::OnStatus(WMT_STATUS status, HRESULT hr, WMT_ATTR_DATATYPE, BYTE*, void*) {
    switch (status) {
        case WMT_ERROR:
        case WMT_EOF:
            // Only the first end of a segment reaches the driver, and not over a failure it
            // already has.
            if (m_endSeen.exchange(1)) break;
            PlaceHeld();  // an input shorter than one clock step
            if (ReportsToDriver(ReadPhase()) && !m_segmentFailed) Report(status, hr);
            break;
        case WMT_OPENED:
            if (ReportsToDriver(ReadPhase())) Report(status, hr);
            break;
        case WMT_STARTED: {
            wm::ComPtr<IWMReaderAdvanced> reader;
            {
                std::lock_guard<SampleLock> g(m_lock);
                m_phase = NextPhase(m_phase, PhaseEvent::Started);
                reader = PacedReader();
                m_placement.BeginInput();  // a stray start too: its end must not count
                if (m_phase == JoinPhase::FirstPlaying) m_clock1 = kClockStep;
                if (m_phase == JoinPhase::SecondPlaying) m_clock2 = kClockStep;
            }
            // Outside the lock: the reader may deliver samples at once.
            if (reader) reader->DeliverTime(kClockStep);
            reader.Reset();
            m_segmentFailed = 0;
            m_endSeen = 0;
            break;
        }
        case WMT_STOPPED:
            NoteStop();
            Report(WMT_STOPPED, S_OK);
            break;
        case WMT_CLOSED:
            Report(WMT_CLOSED, hr);
            break;
        default:
            break;
    }
    return S_OK;
}

// Ends the running input's placement; reader 2's stop records its offset and moves the first
// reader's clock past it.
void CMerger::NoteStop() {
    std::lock_guard<SampleLock> g(m_lock);
    m_placement.DropHeld();  // a stopped or failed segment places nothing more
    const JoinPhase before = m_phase;
    m_phase = NextPhase(m_phase, PhaseEvent::Stopped);
    if (before == JoinPhase::SecondPlaying) {
        // Recorded by path-table position: a skipped input leaves its entry unused.
        if (m_currentInput >= 1 && m_currentInput <= kMaxOffsets) {
            m_offsets[m_currentInput - 1] = m_placement.Offset(m_clock1);
            if (size_t(m_currentInput) < m_results.size()) {
                m_results[m_currentInput].placedAt = m_offsets[m_currentInput - 1];
                m_results[m_currentInput].rebasedBy = m_placement.Rebase();
            }
        }
        ++m_offsetCount;
        m_clock1 += m_clock2 - std::min(m_placement.Rebase(), m_clock2);
    }
    if (WritesSamples(before)) m_placement.EndInput();
}

void CMerger::FailSegment(HRESULT hr, const char* format) {
    if (m_segmentFailed.exchange(1)) return;
    if (format) ReportError(format, hr);
    Report(WMT_ERROR, hr);
}

HRESULT CMerger::OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) {
    if (m_event) {
        ReportError("Error: Received a decompressed sample from the reader.\n");
        m_segmentFailed = 1;
        Report(WMT_ERROR, E_UNEXPECTED);
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
    Sample s{stream, time, duration, flags, sample};
    HRESULT hr = S_OK;
    {
        // One lock per sample: the placement and the write go together, so the writer is not
        // let go of, nor the phase moved on, while a sample is written.
        std::lock_guard<SampleLock> g(m_lock);
        if (!WritesSamples(m_phase)) return S_OK;  // no segment is running: dropped
        if (m_phase == JoinPhase::SecondPlaying) {
            s.stream = m_streamMap.WriterStreamFor(stream);
            if (s.stream != 0) {
                m_placement.NoteSample(m_clock2);
                if (m_placement.Holding()) {
                    m_placement.Hold(s);
                    return S_OK;
                }
                s.time = m_placement.Place(time, m_clock1);
            }
        }
        hr = s.stream == 0 ? E_UNEXPECTED : Write(s);
    }
    // Reported once the lock is left.
    if (Failed(hr)) FailSegment(hr, "Error in WriteStreamSample (hr=0x%08x).\n");
    return hr;
}

// Under m_lock.
HRESULT CMerger::Write(const Sample& s) {
    if (!m_writerAdvanced) return E_UNEXPECTED;
    HRESULT hr =
        m_writerAdvanced->WriteStreamSample(s.stream, s.time, 0, s.duration, s.flags, s.buffer);
    DWORD length = 0;
    if (Succeeded(hr) && Succeeded(s.buffer->GetLength(&length))) {
        m_progress.AddWritten(length);
        m_placement.End().Add(s, length);
    }
    return hr;
}

void CMerger::PlaceHeld() {
    HRESULT hr = S_OK;
    {
        std::lock_guard<SampleLock> g(m_lock);
        for (HeldSample& h : m_placement.ReleaseHeld())
            if (!m_segmentFailed && Succeeded(hr)) hr = Write(h.sample);
    }
    if (Failed(hr)) FailSegment(hr, "Error in WriteStreamSample (hr=0x%08x).\n");
}

HRESULT CMerger::OnTime(QWORD, void*) {
    if (m_endSeen) return S_OK;
    m_control.WaitWhileHeld();  // the clock waits while the user is asked whether to stop
    if (StopRequested()) {
        FailSegment(kJoinStopped);
        return S_OK;
    }
    PlaceHeld();  // the first step of samples is complete
    wm::ComPtr<IWMReaderAdvanced> reader;
    QWORD released = 0;
    {
        std::lock_guard<SampleLock> g(m_lock);
        reader = PacedReader();
        if (!reader) return S_OK;
        QWORD& clock = m_phase == JoinPhase::FirstPlaying ? m_clock1 : m_clock2;
        released = clock += kClockStep;
    }
    HRESULT hr = reader->DeliverTime(released);
    reader.Reset();
    if (Failed(hr)) ReportError("Error in DeliverTime (hr=0x%08x).\n", hr);
    return S_OK;
}

HRESULT CMerger::OnStreamSelection(WORD, WORD*, WMT_STREAM_SELECTION*, void*) { return S_OK; }

HRESULT CMerger::OnOutputPropsChanged(DWORD, WM_MEDIA_TYPE*, void*) { return S_OK; }

HRESULT CMerger::AllocateForStream(WORD, DWORD, INSSBuffer**, void*) { return E_NOTIMPL; }

HRESULT CMerger::AllocateForOutput(DWORD, DWORD, INSSBuffer**, void*) { return E_NOTIMPL; }

}  // namespace engine
