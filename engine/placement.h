#pragma once
// Where the running input's samples go in the output. By default a later input starts at the
// first reader's final clock, moved back by the whole seconds before its first sample (a late
// start); gapless, it starts where the inputs placed so far truly end, its first clock step of
// samples held until the earliest of them is known. Ends with the input: its offset and rebase
// go to its result, its true end into the next input's placement.

#include <vector>

#include "input_end.h"
#include "sample.h"

namespace engine {

class Placement {
  public:
    explicit Placement(bool gapless = false) : m_gapless(gapless) {}
    bool Gapless() const { return m_gapless; }

    // A join starts: nothing placed yet.
    void Restart() { m_placedEnd = m_start = 0; }
    // A reader started: a new input, nothing of it known yet.
    void BeginInput();
    // The first sample of a later input came with the clock at clock: the steps before it go.
    void NoteSample(QWORD clock);
    // Gapless and the first step is not complete: the sample is to be held.
    bool Holding() const { return m_gapless && !m_startKnown; }
    void Hold(const Sample& s) { m_held.emplace_back(s); }
    // The held samples, shifted to start at the end of what is placed (on a whole
    // millisecond); empty when none are held.
    std::vector<HeldSample> ReleaseHeld();
    void DropHeld() { m_held.clear(); }
    // A later input's time in the output, the first reader's clock standing at clock1.
    QWORD Place(QWORD time, QWORD clock1) const;
    // Where the input starts in the output, and the time before its first sample left out.
    QWORD Offset(QWORD clock1) const { return m_gapless ? m_start : clock1; }
    QWORD Rebase() const { return m_rebase; }
    // The input as written, for its true end.
    InputEnd& End() { return m_end; }
    // The running input is placed whole: its true end counts for the next one.
    void EndInput();

  private:
    bool m_gapless;
    QWORD m_placedEnd = 0;  // true end of the inputs placed so far
    QWORD m_start = 0;      // gapless: where the running input starts
    bool m_startKnown = false;
    bool m_rebaseKnown = false;
    QWORD m_rebase = 0;
    InputEnd m_end;
    std::vector<HeldSample> m_held;
};

}  // namespace engine
