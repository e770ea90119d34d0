#pragma once
// Memory for the runtime's large read and write blocks: chunks carved from 2 MiB regions
// that the system may back with huge pages. A first touch of ordinary memory faults once per
// 4 KiB page, which on virtual machines can cost more than filling the block; a region faults
// once. Chunks are kept for reuse until the process ends.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>

namespace wm::block_memory {

constexpr size_t kChunkBytes = 256u << 10;
constexpr size_t kLargeChunkBytes = 1u << 20;  // a class of its own, in regions of its own

// A chunk of either size, or nullptr when no region can be mapped (the caller allocates as
// usual then) or for another size.
void* Take(size_t chunkBytes = kChunkBytes);
// Takes back a chunk from Take; false, doing nothing, for memory that is not one.
bool Give(void* chunk);

// Makes the pool hold regions of at least the given size in all, their pages in memory, so that
// the first use of a chunk does not stop for its pages. A hint: without it they come at first use.
void Reserve(size_t bytes);

// At least the given size (either chunk size) as one chunk where one can be had, else from the
// heap.
struct ChunkDeleter {
    void operator()(uint8_t* bytes) const {
        if (!Give(bytes)) delete[] bytes;
    }
};
using Chunk = std::unique_ptr<uint8_t[], ChunkDeleter>;
Chunk TakeChunk(size_t chunkBytes = kChunkBytes);

// The same for containers: an allocation of an eighth of kChunkBytes up to kChunkBytes is one
// chunk where one can be had; others, and all when no region can be mapped, come from the
// heap.
std::pmr::memory_resource* Resource();

}  // namespace wm::block_memory
