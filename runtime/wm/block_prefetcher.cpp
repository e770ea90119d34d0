#include "block_prefetcher.h"

#include <algorithm>

namespace wm {

BlockPrefetcher::BlockPrefetcher(asf::ByteSource& source, uint64_t offset, uint64_t length,
                                 size_t blockSize)
    : m_source(source), m_offset(offset), m_end(offset + length), m_blockSize(blockSize) {
    for (int i = 0; i < kBuffers; ++i) m_free.push_back(i);
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

void BlockPrefetcher::Run() {
    uint64_t at = m_offset;
    while (at < m_end) {
        int buffer;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_free.empty(); });
            if (m_stop) return;
            buffer = m_free.front();
            m_free.pop_front();
        }
        size_t n = static_cast<size_t>(std::min<uint64_t>(m_blockSize, m_end - at));
        m_buffers[buffer].resize(n);
        bool ok = m_source.ReadAt(at, m_buffers[buffer].data(), n);
        at += n;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ok) {
            m_failed = true;
            break;
        }
        m_ready.emplace_back(buffer, n);
        m_changed.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
}

bool BlockPrefetcher::Next(const uint8_t** data, size_t* size) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_current >= 0) {
        m_free.push_back(m_current);
        m_current = -1;
        m_changed.notify_all();
    }
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    if (m_ready.empty()) return false;
    m_current = m_ready.front().first;
    *size = m_ready.front().second;
    m_ready.pop_front();
    *data = m_buffers[m_current].data();
    return true;
}

bool BlockPrefetcher::Failed() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed && m_ready.empty();
}

}  // namespace wm
