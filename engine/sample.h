#pragma once
// One compressed sample on its way from a reader to the writer.

#include "com_object.h"
#include "wm_interfaces.h"

namespace engine {

constexpr QWORD kClockStep = 10000000;  // one second in 100 ns: the user clock's step

struct Sample {
    WORD stream = 0;  // the input's number, then the writer's
    QWORD time = 0;   // 100 ns
    QWORD duration = 0;
    DWORD flags = 0;
    INSSBuffer* buffer = nullptr;  // the reader's; valid during its callback only
};

// A sample kept past its callback, with a reference to its buffer.
struct HeldSample {
    explicit HeldSample(const Sample& s) : sample(s), keep(s.buffer) {}
    Sample sample;
    wm::ComPtr<INSSBuffer> keep;
};

}  // namespace engine
