#pragma once
// Reads a range of a source in consecutive blocks on a thread of its own, a few blocks ahead of
// the consumer, so that reading the file and parsing it overlap.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "../asf/byte_io.h"

namespace wm {

class BlockPrefetcher {
  public:
    // The source must not be used by anyone else while the prefetcher lives.
    BlockPrefetcher(asf::ByteSource& source, uint64_t offset, uint64_t length, size_t blockSize);
    ~BlockPrefetcher();
    BlockPrefetcher(const BlockPrefetcher&) = delete;
    BlockPrefetcher& operator=(const BlockPrefetcher&) = delete;

    // The next block, valid until the next call. False at the end of the range or on a read
    // error (then Failed() is true).
    bool Next(const uint8_t** data, size_t* size);
    bool Failed();

  private:
    static constexpr int kBuffers = 3;
    void Run();

    asf::ByteSource& m_source;
    uint64_t m_offset;
    uint64_t m_end;
    size_t m_blockSize;
    std::vector<uint8_t> m_buffers[kBuffers];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<int, size_t>> m_ready;  // buffer, bytes
    std::deque<int> m_free;
    int m_current = -1;
    bool m_stop = false;
    bool m_done = false;
    bool m_failed = false;
    std::thread m_thread;
};

}  // namespace wm
