#include "block_memory.h"

#include <sys/mman.h>

#include <cstddef>
#include <mutex>
#include <vector>

namespace wm::block_memory {

namespace {

constexpr size_t kRegionBytes = 2u << 20;

// The size class of a chunk size: 0 for kChunkBytes, 1 for kLargeChunkBytes, -1 for any other.
int Class(size_t chunkBytes) {
    return chunkBytes == kChunkBytes ? 0 : chunkBytes == kLargeChunkBytes ? 1 : -1;
}

struct Pool {
    struct Region {
        uintptr_t start;
        size_t chunkBytes;  // what it is carved into
    };
    std::mutex mutex;
    // Per class; the last given back is taken first: it may still be in the cache.
    std::vector<void*> free[2];
    std::vector<Region> regions;

    // Maps twice the region's size and keeps the aligned middle, so that one huge page can
    // back it; false when the system refuses.
    bool AddRegion(size_t chunkBytes) {
        void* mapped = mmap(nullptr, 2 * kRegionBytes, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) return false;
        const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
        const uintptr_t aligned = (start + kRegionBytes - 1) & ~uintptr_t(kRegionBytes - 1);
        if (aligned > start) munmap(mapped, aligned - start);
        munmap(reinterpret_cast<void*>(aligned + kRegionBytes),
               start + 2 * kRegionBytes - (aligned + kRegionBytes));
        madvise(reinterpret_cast<void*>(aligned), kRegionBytes, MADV_HUGEPAGE);  // a hint only
        regions.push_back({aligned, chunkBytes});
        for (size_t at = kRegionBytes; at > 0; at -= chunkBytes)
            free[Class(chunkBytes)].push_back(reinterpret_cast<void*>(aligned + at - chunkBytes));
        return true;
    }
    // The region a chunk of this pool lies in, or nullptr.
    const Region* Find(uintptr_t p) const {
        for (const Region& r : regions)
            if (p >= r.start && p < r.start + kRegionBytes) return &r;
        return nullptr;
    }
};

Pool& ThePool() {
    static Pool* pool = new Pool;  // never destroyed: chunks may be given back at exit
    return *pool;
}

}  // namespace

void* Take(size_t chunkBytes) {
    const int sizeClass = Class(chunkBytes);
    if (sizeClass < 0) return nullptr;
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    std::vector<void*>& free = pool.free[sizeClass];
    if (free.empty() && !pool.AddRegion(chunkBytes)) return nullptr;
    void* chunk = free.back();
    free.pop_back();
    return chunk;
}

void Reserve(size_t bytes) {
    Pool& pool = ThePool();
    std::vector<uintptr_t> added;
    {
        std::lock_guard<std::mutex> lock(pool.mutex);
        size_t held = 0;
        for (const Pool::Region& r : pool.regions) held += r.chunkBytes == kChunkBytes;
        for (; held * kRegionBytes < bytes && pool.AddRegion(kChunkBytes); ++held)
            added.push_back(pool.regions.back().start);
    }
    // Outside the lock: chunks may be taken meanwhile, and populating leaves what is written.
    for (uintptr_t region : added)
        madvise(reinterpret_cast<void*>(region), kRegionBytes, MADV_POPULATE_WRITE);
}

bool Give(void* chunk) {
    if (!chunk) return false;
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    const Pool::Region* region = pool.Find(reinterpret_cast<uintptr_t>(chunk));
    if (!region) return false;
    pool.free[Class(region->chunkBytes)].push_back(chunk);
    return true;
}

namespace {

class ChunkResource final : public std::pmr::memory_resource {
    static constexpr size_t kSmallest = kChunkBytes / 8;  // smaller ones would waste a chunk

    void* do_allocate(size_t bytes, size_t alignment) override {
        if (bytes >= kSmallest && bytes <= kChunkBytes && alignment <= alignof(std::max_align_t))
            if (void* chunk = Take()) return chunk;
        return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    }
    void do_deallocate(void* p, size_t bytes, size_t alignment) override {
        if (!Give(p)) std::pmr::new_delete_resource()->deallocate(p, bytes, alignment);
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

}  // namespace

std::pmr::memory_resource* Resource() {
    static ChunkResource* resource = new ChunkResource;  // never destroyed, as the pool
    return resource;
}

Chunk TakeChunk(size_t chunkBytes) {
    if (void* chunk = Take(chunkBytes)) return Chunk(static_cast<uint8_t*>(chunk));
    return Chunk(new uint8_t[chunkBytes]);
}

}  // namespace wm::block_memory
