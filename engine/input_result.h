#pragma once
// What a join did with one input, by its position in the list.

#include <cstdint>

#include "wm_types.h"

namespace engine {

struct InputResult {
    bool placed = false;       // its whole content went into the output
    QWORD placedAt = 0;        // where it starts in the output, 100 ns
    QWORD rebasedBy = 0;       // time before its first sample left out (late-starting inputs)
    DWORD damagedPackets = 0;  // packets its reader skipped as damaged or found missing
    uint64_t bytes = 0;        // its file's size, for progress
};

}  // namespace engine
