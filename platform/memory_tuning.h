#pragma once
// The allocator's settings for a program that streams large files: called once at start-up,
// before any thread starts.

namespace platform {

// One arena; freed sample-sized blocks stay in the process instead of going back to the system
// and being faulted in again.
void TuneAllocatorForStreaming();

}  // namespace platform
