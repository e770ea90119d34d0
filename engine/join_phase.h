#pragma once
// Where a join stands, as the readers' callbacks see it, and every move between the phases.
// Reader 1 plays the first input; reader 2 each later one, armed once it holds its input.

#include <cstdint>

namespace engine {

enum class JoinPhase : int16_t {
    Idle,           // nothing started yet
    FirstPlaying,   // reader 1 runs: samples keep their time
    SecondPlaying,  // reader 2 runs: samples are mapped and shifted
    SecondStopped,  // reader 2 stopped: its offset is recorded, stray samples are dropped
    Stray,          // a start with no input prepared for it: drives no clock
    Armed,          // reader 2 holds the next input, not started: samples are dropped
};

enum class PhaseEvent {
    Started,  // a reader's start
    Stopped,  // a reader's stop
    Armed,    // the driver has opened the next input in reader 2
};

constexpr JoinPhase NextPhase(JoinPhase phase, PhaseEvent event) {
    switch (event) {
        case PhaseEvent::Started:
            if (phase == JoinPhase::Idle) return JoinPhase::FirstPlaying;
            if (phase == JoinPhase::Armed) return JoinPhase::SecondPlaying;
            return JoinPhase::Stray;
        case PhaseEvent::Stopped:
            if (phase == JoinPhase::FirstPlaying) return JoinPhase::Armed;  // reader 2 is ready
            if (phase == JoinPhase::SecondPlaying) return JoinPhase::SecondStopped;
            return phase;
        case PhaseEvent::Armed:
            return JoinPhase::Armed;
    }
    return phase;
}

// Samples of the phase go to the writer.
constexpr bool WritesSamples(JoinPhase phase) {
    return phase == JoinPhase::FirstPlaying || phase == JoinPhase::SecondPlaying;
}

// Opens and segment ends of the phase reach the driver; after reader 2 stopped, or after a
// stray start, they are late and dropped.
constexpr bool ReportsToDriver(JoinPhase phase) {
    return phase != JoinPhase::SecondStopped && phase != JoinPhase::Stray;
}

}  // namespace engine
