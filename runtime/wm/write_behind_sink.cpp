#include "write_behind_sink.h"

#include <cstring>

namespace wm {

WriteBehindSink::WriteBehindSink(std::unique_ptr<asf::ByteSink> below)
    : m_below(std::move(below)), m_position(m_below->Position()) {
    m_filling.reserve(kBlockBytes);
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
        std::vector<uint8_t> block = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        bool skip = m_failed;
        lock.unlock();
        // After a failure the rest is dropped: the output is discarded anyway.
        bool ok = skip || m_below->Write(block.data(), block.size());
        int error = ok ? 0 : m_below->ErrorNumber();
        lock.lock();
        m_writing = false;
        if (!ok) NoteFailure(error);
        block.clear();
        m_spare.push_back(std::move(block));
        m_changed.notify_all();
    }
}

bool WriteBehindSink::HandOver() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kBlocksInFlight || m_failed; });
    if (m_failed) return false;
    m_queue.push_back(std::move(m_filling));
    bool spare = !m_spare.empty();
    if (spare) {
        m_filling = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();  // the woken thread then finds the mutex free
    m_changed.notify_all();
    if (!spare) {
        m_filling = {};
        m_filling.reserve(kBlockBytes);
    }
    return true;
}

bool WriteBehindSink::Drain() {
    if (!m_filling.empty() && !HandOver()) return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return (m_queue.empty() && !m_writing) || m_failed; });
    return !m_failed;
}

bool WriteBehindSink::Write(const void* data, size_t n) {
    if (m_failed) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (n > 0) {
        size_t take = std::min(n, kBlockBytes - m_filling.size());
        m_filling.insert(m_filling.end(), bytes, bytes + take);
        bytes += take;
        n -= take;
        m_position += take;
        if (m_filling.size() == kBlockBytes && !HandOver()) return false;
    }
    return true;
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
