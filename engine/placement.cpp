#include "placement.h"

#include <algorithm>

namespace engine {

namespace {
constexpr QWORD kMs = 10000;
}  // namespace

void Placement::BeginInput() {
    m_end.Reset();
    m_startKnown = false;
    m_rebaseKnown = false;
    m_rebase = 0;
}

void Placement::NoteSample(QWORD clock) {
    if (m_rebaseKnown) return;
    m_rebaseKnown = true;
    m_rebase = clock >= kClockStep ? clock - kClockStep : 0;
}

std::vector<HeldSample> Placement::ReleaseHeld() {
    std::vector<HeldSample> held;
    if (m_held.empty()) return held;
    held.swap(m_held);
    QWORD earliest = held.front().sample.time;
    for (const HeldSample& h : held) earliest = std::min(earliest, h.sample.time);
    // The format keeps milliseconds.
    m_start = (m_placedEnd + kMs - 1) / kMs * kMs;
    m_rebase = earliest;
    m_startKnown = true;
    for (HeldSample& h : held) h.sample.time = m_start + (h.sample.time - earliest);
    return held;
}

QWORD Placement::Place(QWORD time, QWORD clock1) const {
    return Offset(clock1) + (time > m_rebase ? time - m_rebase : 0);
}

void Placement::EndInput() { m_placedEnd = std::max(m_placedEnd, m_end.End()); }

}  // namespace engine
