#pragma once
// A sink that gathers writes into large blocks and hands them to a thread of its own, which
// writes them to the sink below in order, so that the caller never waits on the system's write.
// A failure below shows at a later Write, at WriteAt or at Finish, never as success.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "../asf/byte_io.h"

namespace wm {

class WriteBehindSink final : public asf::ByteSink {
  public:
    explicit WriteBehindSink(std::unique_ptr<asf::ByteSink> below);
    ~WriteBehindSink() override;
    WriteBehindSink(const WriteBehindSink&) = delete;
    WriteBehindSink& operator=(const WriteBehindSink&) = delete;

    bool Write(const void* data, size_t n) override;
    // Claims up to kClaimRoom bytes are filled in place, in the block.
    uint8_t* Claim(size_t n) override;
    bool Commit(size_t n) override;
    // Waits until everything before it is written, then writes below.
    bool WriteAt(uint64_t offset, const void* data, size_t n) override;
    uint64_t Position() const override { return m_position; }
    bool Finish() override;
    int ErrorNumber() const override;

    // Writes of this size cost the system far less per byte than larger ones (measured on
    // ext4), and the few blocks stay in the cache between filling and writing.
    static constexpr size_t kBlockBytes = 128u << 10;
    static constexpr size_t kBlocksInFlight = 4;
    static constexpr size_t kClaimRoom = 64u << 10;

  private:
    // Holds kBlockBytes and, past them, the end of a claim that started before; unset bytes.
    struct Block {
        std::unique_ptr<uint8_t[]> bytes;
        size_t size = 0;
    };
    void Run();
    bool HandOver();              // queues the block being filled, its first kBlockBytes at most
    bool Drain();                 // waits until the queue is written; false when anything failed
    void NoteFailure(int error);  // under the mutex

    std::unique_ptr<asf::ByteSink> m_below;
    uint64_t m_position = 0;
    Block m_filling;
    bool m_claimStaged = false;  // the open claim is the base class's

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    std::vector<Block> m_spare;
    bool m_writing = false;             // the thread holds a block
    std::atomic<bool> m_failed{false};  // set under the mutex; Write reads it without
    int m_error = 0;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace wm
