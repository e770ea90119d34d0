#pragma once
// Clean interruption of the command-line programs: SIGINT, SIGTERM and SIGHUP only raise a
// flag; the work polls it, removes what it created and the program exits with 128 + signal.

#include <atomic>

namespace platform {

// Installs the handlers; returns the flag they raise.
const std::atomic<bool>& CatchStopSignals();

// The signal that raised the flag, 0 while none came.
int StopSignal();

}  // namespace platform
