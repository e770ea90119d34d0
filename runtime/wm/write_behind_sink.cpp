#include "write_behind_sink.h"

#include <algorithm>
#include <cstring>

namespace wm {

namespace {
constexpr size_t kBlockCapacity = WriteBehindSink::kBlockBytes + WriteBehindSink::kClaimRoom;
}  // namespace

WriteBehindSink::WriteBehindSink(std::unique_ptr<asf::ByteSink> below)
    : m_below(std::move(below)), m_position(m_below->Position()) {
    m_filling.bytes.reset(new uint8_t[kBlockCapacity]);
    m_thread = std::thread([this] { Run(); });
}

WriteBehindSink::~WriteBehindSink() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

void WriteBehindSink::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) return;  // stopped with nothing left
        Block block = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        bool skip = m_failed;
        lock.unlock();
        // After a failure the rest is dropped: the output is discarded anyway.
        bool ok = skip || m_below->Write(block.bytes.get(), block.size);
        int error = ok ? 0 : m_below->ErrorNumber();
        lock.lock();
        m_writing = false;
        if (!ok) NoteFailure(error);
        block.size = 0;
        m_spare.push_back(std::move(block));
        m_changed.notify_all();
    }
}

bool WriteBehindSink::HandOver() {
    Block next;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < kBlocksInFlight || m_failed; });
        if (m_failed) {
            m_filling.size = 0;  // dropped: the output is discarded anyway
            return false;
        }
        if (!m_spare.empty()) {
            next = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    if (!next.bytes) next.bytes.reset(new uint8_t[kBlockCapacity]);
    // What a claim put past the block's end starts the next block.
    const size_t whole = std::min(m_filling.size, kBlockBytes);
    next.size = m_filling.size - whole;
    std::memcpy(next.bytes.get(), m_filling.bytes.get() + whole, next.size);
    m_filling.size = whole;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(m_filling));  // only this thread adds: the room is still there
    }
    m_changed.notify_all();  // the woken thread then finds the mutex free
    m_filling = std::move(next);
    return true;
}

bool WriteBehindSink::Drain() {
    if (m_filling.size != 0 && !HandOver()) return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return (m_queue.empty() && !m_writing) || m_failed; });
    return !m_failed;
}

bool WriteBehindSink::Write(const void* data, size_t n) {
    if (m_failed) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (n > 0) {
        size_t take = std::min(n, kBlockBytes - m_filling.size);
        std::memcpy(m_filling.bytes.get() + m_filling.size, bytes, take);
        m_filling.size += take;
        bytes += take;
        n -= take;
        m_position += take;
        if (m_filling.size == kBlockBytes && !HandOver()) return false;
    }
    return true;
}

uint8_t* WriteBehindSink::Claim(size_t n) {
    m_claimStaged = n > kClaimRoom;
    if (m_claimStaged) return ByteSink::Claim(n);
    return m_filling.bytes.get() + m_filling.size;  // below kBlockBytes: the room is there
}

bool WriteBehindSink::Commit(size_t n) {
    if (m_claimStaged) {
        m_claimStaged = false;
        return ByteSink::Commit(n);
    }
    if (m_failed) return false;
    n = std::min(n, kClaimRoom);
    m_filling.size += n;
    m_position += n;
    return m_filling.size < kBlockBytes || HandOver();
}

bool WriteBehindSink::WriteAt(uint64_t offset, const void* data, size_t n) {
    if (!Drain()) return false;
    bool ok = m_below->WriteAt(offset, data, n);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!ok) NoteFailure(m_below->ErrorNumber());
    return ok;
}

bool WriteBehindSink::Finish() {
    bool drained = Drain();
    bool finished = m_below->Finish();  // closes below even after a failure
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!finished) NoteFailure(m_below->ErrorNumber());
    return drained && finished;
}

void WriteBehindSink::NoteFailure(int error) {
    if (m_failed) return;  // the first failure is the one reported
    m_failed = true;
    m_error = error;
}

int WriteBehindSink::ErrorNumber() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed ? m_error : 0;
}

}  // namespace wm
