#pragma once
// Reads a range of data packets in consecutive blocks on a thread of its own, and prepares each
// block there (its samples assembled), some blocks ahead of the consumer, so that reading and
// assembling overlap with the consumer's work. A consumer that waits for blocks prepares the
// next one itself while the thread reads on, so that the work is shared when reading is the
// slower side. Blocks are shared: whatever points into one holds it, and a block is read into
// again only when nothing holds it.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "../asf/byte_io.h"
#include "../asf/sample_assembler.h"
#include "block_memory.h"
#include "thread_spread.h"

namespace wm {

// Leaves the bytes a vector grows by unset: a block is read into before anyone looks at it, and
// setting them first would cost a pass over fresh memory.
template <class T>
struct UnsetAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnsetAllocator<U>;
    };
    UnsetAllocator() = default;
    template <class U>
    UnsetAllocator(const UnsetAllocator<U>&) {}
    // A block's bytes come from the huge-page chunks (block_memory.h) where they fit.
    T* allocate(size_t n) {
        return static_cast<T*>(block_memory::Resource()->allocate(n * sizeof(T), alignof(T)));
    }
    void deallocate(T* p, size_t n) {
        block_memory::Resource()->deallocate(p, n * sizeof(T), alignof(T));
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0)
            ::new (static_cast<void*>(p)) U;
        else
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using BlockBytes = std::vector<uint8_t, UnsetAllocator<uint8_t>>;

// What preparing found in one packet of a block.
struct ReadyPacket {
    uint32_t sendTime = 0;    // ms
    bool whole = false;       // parsed without damage
    uint32_t damaged = 0;     // packets found damaged with this one
    uint32_t samplesEnd = 0;  // its completed samples end here in the block's samples
};

// Consecutive data packets as read, with the samples they complete, assembled by Prepare; the
// consumer takes the samples out.
struct PacketBlock {
    BlockBytes bytes;
    std::vector<ReadyPacket> packets;
    // Grown large, in a chunk: a chunk faults once, the heap page by page as it fills.
    asf::SampleList samples{block_memory::Resource()};
    uint64_t sequence = 0;  // the assembler's number for the block (Sample::firstBlock)
    const uint8_t* data() const { return bytes.data(); }
    size_t size() const { return bytes.size(); }
};

class BlockPrefetcher {
  public:
    // Runs for each block read, in file order, one block at a time: on the reading thread, or
    // on the consumer's in Next.
    using Prepare = std::function<void(PacketBlock&)>;
    // The source must not be used by anyone else while the prefetcher lives.
    BlockPrefetcher(asf::ByteSource& source, uint64_t offset, uint64_t length, size_t blockSize,
                    Prepare prepare);
    ~BlockPrefetcher();
    BlockPrefetcher(const BlockPrefetcher&) = delete;
    BlockPrefetcher& operator=(const BlockPrefetcher&) = delete;

    // The next block; false at the end of the range or on a read error (then Failed() is true).
    bool Next(std::shared_ptr<PacketBlock>* block);
    bool Failed();
    // Why the read failed: the system's error number, 0 when the file ended before the range.
    int FailureErrno();

    // Blocks read before the consumer asks: kMinAhead at first, one more whenever the consumer
    // finds none ready, up to kAheadBytes' worth; refilled once half of them are taken.
    static constexpr size_t kMinAhead = 8;
    static constexpr size_t kAheadBytes = 4u << 20;
    static constexpr size_t kPooled = 32;  // blocks kept for reuse
    // Blocks a consumer that found none ready waits for, once it has had one. No more than the
    // read-ahead, so that the reading thread wakes the consumer before it waits itself.
    static constexpr size_t kWakeBatch = 3;
    static_assert(kWakeBatch <= kMinAhead);

  private:
    void Run();
    std::shared_ptr<PacketBlock> FreeBlock();
    bool CanPrepare() const { return !m_preparing && m_prepared < m_ready.size(); }
    void PrepareNext(std::unique_lock<std::mutex>& lock);

    asf::ByteSource& m_source;
    uint64_t m_offset;
    uint64_t m_end;
    size_t m_blockSize;
    Prepare m_prepare;
    size_t m_maxAhead;
    std::vector<std::shared_ptr<PacketBlock>> m_pool;  // the reading thread's only
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<PacketBlock>> m_ready;  // read, in file order
    size_t m_prepared = 0;                             // the first m_ready blocks are prepared
    bool m_preparing = false;                          // the next one is being prepared
    bool m_consumerWaiting = false;  // blocks read meanwhile are the consumer's to prepare
    size_t m_ahead = kMinAhead;
    size_t m_wanted = 1;  // ready blocks that wake the consumer
    bool m_handedAny = false;
    bool m_stop = false;
    bool m_done = false;
    bool m_failed = false;
    int m_errno = 0;
    ThreadSpread m_spread;  // the reading thread and its consumer on different processors
    std::thread m_thread;
};

}  // namespace wm
