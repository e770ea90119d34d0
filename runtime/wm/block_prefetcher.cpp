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

void BlockPrefetcher::Run() {
    uint64_t at = m_offset;
    while (at < m_end) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            // A full read-ahead is refilled once half of it is taken: one wake-up per several
            // blocks, not one per block.
            if (m_ready.size() >= m_ahead)
                m_changed.wait(lock, [this] { return m_stop || m_ready.size() <= m_ahead / 2; });
            if (m_stop) return;
        }
        std::shared_ptr<PacketBlock> block = FreeBlock();
        size_t n = static_cast<size_t>(std::min<uint64_t>(m_blockSize, m_end - at));
        block->bytes.resize(n);
        errno = 0;
        bool ok = m_source.ReadAt(at, block->bytes.data(), n);
        const int error = errno;
        at += n;
        if (ok) m_prepare(*block);
        m_spread.Check();
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!ok) {
            m_failed = true;
            m_errno = error;
            break;
        }
        m_ready.push_back(std::move(block));
        const bool wake = m_ready.size() >= m_wanted;
        // Woken after the unlock, the consumer does not block on the mutex at once.
        lock.unlock();
        if (wake) m_changed.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
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
    m_changed.wait(lock, [this] { return m_ready.size() >= m_wanted || m_done; });
    m_wanted = 1;
    if (m_ready.empty()) return false;
    *block = std::move(m_ready.front());
    m_ready.pop_front();
    m_handedAny = true;
    const bool refill = m_ready.size() <= m_ahead / 2;
    lock.unlock();
    if (refill) m_changed.notify_all();
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
