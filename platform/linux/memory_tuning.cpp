#include "platform/memory_tuning.h"

#include <malloc.h>

namespace platform {

void TuneAllocatorForStreaming() {
    // The worker threads would each get an arena of their own, each keeping its own free memory.
    mallopt(M_ARENA_MAX, 1);
    // Buffers up to 2 MiB come from the heap and are reused; the heap keeps up to 32 MiB free.
    mallopt(M_MMAP_THRESHOLD, 2 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
}

}  // namespace platform
