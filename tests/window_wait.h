#pragma once
// Waiting on a real display for a condition, never for a fixed time.

#include <wx/app.h>
#include <wx/utils.h>

#include <functional>

// Lets the display deliver what was sent to it, until done() or about `tries` times 10 ms passed.
inline bool Settle(const std::function<bool()>& done, int tries = 200) {
    for (int i = 0; i < tries && !done(); ++i) {
        wxYield();
        wxMilliSleep(10);
    }
    return done();
}

// Returns once the window is idle: every event the display has sent is handled.
inline void WaitIdle() {
    do wxYield();
    while (wxTheApp->Pending());
}
