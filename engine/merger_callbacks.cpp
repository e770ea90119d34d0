// The callback side of CMerger: runs on the runtime's reader threads.
#include <algorithm>

#include "merger.h"

namespace engine {

namespace {

// A reader's start moves the join on: reader 1's first start begins the first input, reader 2's
// start (after its opening set FirstPlaying) begins a later one; any other start is stray.
JoinPhase PhaseAfterStart(JoinPhase phase) {
    switch (phase) {
        case JoinPhase::Idle:
            return JoinPhase::FirstPlaying;
        case JoinPhase::FirstPlaying:
            return JoinPhase::SecondPlaying;
        default:
            return JoinPhase::Stray;
    }
}

}  // namespace

JoinPhase CMerger::ReadPhase() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_phase;
}

// Called under m_lock.
wm::ComPtr<IWMReaderAdvanced> CMerger::PacedReader() const {
    if (m_phase == JoinPhase::FirstPlaying) return m_readerAdvanced1;
    if (m_phase == JoinPhase::SecondPlaying) return m_readerAdvanced2;
    return nullptr;
}

// The result is stored before the driver is woken.
void CMerger::Signal(HRESULT hr) {
    m_status = hr;
    if (m_event) m_event->Set();
}

WORD CMerger::MapStreamNumber(WORD n) {
    std::lock_guard<std::mutex> g(m_lock);
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
            if (ReadPhase() < JoinPhase::SecondStopped && !m_segmentFailed) {
                Signal(hr);
            }
            break;
        case WMT_OPENED:
            if (ReadPhase() < JoinPhase::SecondStopped) {
                Signal(hr);
            }
            break;
        case WMT_STARTED: {
            JoinPhase phase;
            wm::ComPtr<IWMReaderAdvanced> reader;
            {
                std::lock_guard<std::mutex> g(m_lock);
                m_phase = PhaseAfterStart(m_phase);  // this start's input now runs
                phase = m_phase;
                reader = PacedReader();
            }
            m_inputEnd.Reset();
            m_shiftKnown = false;
            if (phase == JoinPhase::FirstPlaying) {
                m_clock1 = kClockStep;
                if (reader) reader->DeliverTime(m_clock1);
            } else if (phase == JoinPhase::SecondPlaying) {
                {
                    std::lock_guard<std::mutex> g(m_lock);
                    m_rebaseKnown = false;
                    m_rebase = 0;
                }
                m_clock2 = kClockStep;
                if (reader) reader->DeliverTime(m_clock2);
            }
            reader.Reset();
            m_segmentFailed = 0;
            m_endSeen = 0;
            break;
        }
        case WMT_STOPPED: {
            DropHeld();  // a stopped or failed segment places nothing more
            std::lock_guard<std::mutex> g(m_lock);
            if (m_phase == JoinPhase::SecondPlaying) {
                // Recorded by path-table position: a skipped input leaves its entry unused.
                if (m_currentInput >= 1 && m_currentInput <= kMaxOffsets) {
                    m_offsets[m_currentInput - 1] = m_gapless ? m_inputStart : m_clock1;
                    if (size_t(m_currentInput) < m_results.size()) {
                        m_results[m_currentInput].placedAt = m_offsets[m_currentInput - 1];
                        m_results[m_currentInput].rebasedBy = m_rebase;
                    }
                }
                ++m_offsetCount;
                // Samples still in flight from reader 2 must not be written after its offset.
                m_phase = JoinPhase::SecondStopped;
                m_clock1 += m_clock2 - std::min(m_rebase, m_clock2);
            }
            if (m_phase == JoinPhase::SecondStopped || m_currentInput == 0)
                m_placedEnd = std::max(m_placedEnd, m_inputEnd.End());
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
    bool unknown = false;  // reported once the lock is left
    wm::ComPtr<IWMWriterAdvanced> writer;
    {
        // One lock per sample: the placement and the writer are taken together.
        std::lock_guard<std::mutex> g(m_lock);
        if (m_phase == JoinPhase::SecondPlaying) {
            const WORD mapped = m_streamMap.WriterStreamFor(stream);
            unknown = mapped == 0;
            stream = mapped;
        }
        if (m_phase == JoinPhase::SecondPlaying && !unknown) {
            if (!m_rebaseKnown) {
                m_rebaseKnown = true;
                m_rebase = m_clock2 >= kClockStep ? m_clock2 - kClockStep : 0;
            }
            if (m_gapless && !m_shiftKnown) {
                m_held.emplace_back(stream, time, duration, flags, sample);
                return S_OK;
            }
            const QWORD start = m_gapless ? m_inputStart : m_clock1;
            time = start + (time > m_rebase ? time - m_rebase : 0);
        } else if (m_phase != JoinPhase::FirstPlaying && !unknown) {
            return S_OK;  // no segment is running: dropped
        }
        writer = m_writerAdvanced;
    }
    if (unknown) {
        FailSegment(E_UNEXPECTED, "Error in WriteStreamSample (hr=0x%08x).\n");
        return E_UNEXPECTED;
    }
    return Forward(stream, time, duration, flags, sample, writer);
}

HRESULT CMerger::Forward(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample) {
    wm::ComPtr<IWMWriterAdvanced> writer;
    {
        std::lock_guard<std::mutex> g(m_lock);
        writer = m_writerAdvanced;
    }
    return Forward(stream, time, duration, flags, sample, writer);
}

HRESULT CMerger::Forward(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                         wm::ComPtr<IWMWriterAdvanced>& writer) {
    HRESULT hr = E_UNEXPECTED;  // no writer
    if (writer) {
        hr = writer->WriteStreamSample(stream, time, 0, duration, flags, sample);
        writer.Reset();
    }
    DWORD length = 0;
    if (Succeeded(hr) && Succeeded(sample->GetLength(&length))) {
        m_bytesRunning += length;
        m_inputEnd.Add(stream, time, duration, length);
    }
    if (Failed(hr)) FailSegment(hr, "Error in WriteStreamSample (hr=0x%08x).\n");
    return hr;
}

void CMerger::PlaceHeld() {
    if (m_held.empty()) return;
    // The earliest held sample starts at the true end of what is placed, on a whole
    // millisecond at or past it: the format keeps milliseconds.
    QWORD earliest = m_held.front().time;
    for (const HeldSample& h : m_held) earliest = std::min(earliest, h.time);
    constexpr QWORD kMs = 10000;
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_inputStart = (m_placedEnd + kMs - 1) / kMs * kMs;
        m_rebase = earliest;
        m_shiftKnown = true;
    }
    std::vector<HeldSample> held;
    held.swap(m_held);
    for (HeldSample& h : held) {
        if (!m_segmentFailed)
            Forward(h.stream, m_inputStart + (h.time - earliest), h.duration, h.flags,
                    h.sample.Get());
        h.sample.Reset();
    }
}

void CMerger::DropHeld() { m_held.clear(); }

HRESULT CMerger::OnTime(QWORD, void*) {
    if (m_endSeen) return S_OK;
    WaitWhileHeld();  // the clock waits while the user is asked whether to stop
    if (StopRequested()) {
        FailSegment(kJoinStopped);
        return S_OK;
    }
    PlaceHeld();  // the first step of samples is complete
    JoinPhase phase;
    wm::ComPtr<IWMReaderAdvanced> reader;
    {
        std::lock_guard<std::mutex> g(m_lock);
        phase = m_phase;
        reader = PacedReader();
    }
    if (!reader) return S_OK;
    QWORD released = 0;
    if (phase == JoinPhase::FirstPlaying)
        released = m_clock1 += kClockStep;
    else
        released = m_clock2 += kClockStep;
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
