#include "block_prefetcher.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace wm {

BlockPrefetcher::BlockPrefetcher(asf::ByteSource& source, uint64_t offset, uint64_t length,
                                 size_t blockSize, Prepare prepare)
    : m_source(source),
      m_offset(offset),
      m_end(offset + length),
      m_blockSize(blockSize),
      m_prepare(std::move(prepare)),
      m_maxAhead(std::max(kMinAhead, kAheadBytes / std::max<size_t>(1, blockSize))) {
    m_thread = std::thread([this] { Run(); });
}

BlockPrefetcher::~BlockPrefetcher() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

// A pooled block that nothing else holds, a new pooled one while the pool is small, else one of
// its own (a consumer that keeps every sample keeps every block).
std::shared_ptr<PacketBlock> BlockPrefetcher::FreeBlock() {
    for (auto& block : m_pool) {
        if (block.use_count() != 1) continue;
        // Pairs with the release of the last holder elsewhere: its reads are done.
        std::atomic_thread_fence(std::memory_order_acquire);
        return block;
    }
    auto block = std::make_shared<PacketBlock>();
    block->bytes.reserve(m_blockSize);
    if (m_pool.size() < kPooled) m_pool.push_back(block);
    return block;
}

// Prepares the first block read but not prepared, the lock left meanwhile. Blocks are prepared
// one at a time, in file order, on whichever thread gets to them first.
void BlockPrefetcher::PrepareNext(std::unique_lock<std::mutex>& lock) {
    PacketBlock& block = *m_ready[m_prepared];  // stays: only prepared blocks are taken
    m_preparing = true;
    lock.unlock();
    m_prepare(block);
    lock.lock();
    m_preparing = false;
    ++m_prepared;
    m_changed.notify_all();
}

void BlockPrefetcher::Run() {
    uint64_t at = m_offset;
    bool full = false;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        // Preparing comes before reading on, except for a consumer that waits: it prepares the
        // next block itself while this thread reads the one after.
        if (CanPrepare() && !m_consumerWaiting) {
            PrepareNext(lock);
            continue;
        }
        if (at >= m_end) break;
        // A full read-ahead is refilled once half of it is taken: one wake-up per several
        // blocks, not one per block.
        full = full || m_ready.size() >= m_ahead;
        if (full && m_ready.size() > m_ahead / 2) {
            m_changed.wait(lock);
            continue;
        }
        full = false;
        lock.unlock();
        std::shared_ptr<PacketBlock> block = FreeBlock();
        size_t n = static_cast<size_t>(std::min<uint64_t>(m_blockSize, m_end - at));
        block->bytes.resize(n);
        errno = 0;
        bool ok = m_source.ReadAt(at, block->bytes.data(), n);
        const int error = errno;
        at += n;
        m_spread.Check();
        lock.lock();
        if (!ok) {
            m_failed = true;
            m_errno = error;
            break;
        }
        m_ready.push_back(std::move(block));
        if (m_consumerWaiting && m_ready.size() >= m_wanted) m_changed.notify_all();
    }
    // Blocks still to prepare are the consumer's.
    m_done = true;
    m_changed.notify_all();
}

bool BlockPrefetcher::Next(std::shared_ptr<PacketBlock>* block) {
    block->reset();
    m_spread.NoteConsumer();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_ready.empty() && !m_done && m_handedAny) {
        // Reading fell behind: read further ahead from now on, and wait for a few blocks at
        // once, each wake-up costing a switch between threads.
        m_ahead = std::min(m_ahead + 1, m_maxAhead);
        m_wanted = kWakeBatch;
    }
    if (m_prepared == 0) {
        m_consumerWaiting = true;
        m_changed.wait(lock, [this] { return m_ready.size() >= m_wanted || m_done; });
        m_consumerWaiting = false;
        m_wanted = 1;
        // The first block, unless the reading thread is at it already.
        while (!m_ready.empty() && m_prepared == 0) {
            if (m_preparing)
                m_changed.wait(lock);
            else
                PrepareNext(lock);
        }
    }
    if (m_ready.empty()) return false;
    *block = std::move(m_ready.front());
    m_ready.pop_front();
    --m_prepared;
    m_handedAny = true;
    const bool wake = m_ready.size() <= m_ahead / 2 || CanPrepare();
    lock.unlock();
    if (wake) m_changed.notify_all();
    return true;
}

int BlockPrefetcher::FailureErrno() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_errno;
}

bool BlockPrefetcher::Failed() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed && m_ready.empty();
}

}  // namespace wm
