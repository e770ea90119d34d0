#pragma once
// An auto-reset event owned by one engine: each Set wakes one Wait.

#include <condition_variable>
#include <mutex>

namespace engine {

class CCompletionEvent {
  public:
    void Set() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_signaled = true;
        m_wake.notify_one();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_signaled; });
        m_signaled = false;
    }
    // Takes a pending signal without waiting; false when there was none.
    bool TryWait() {
        std::lock_guard<std::mutex> lock(m_mutex);
        bool was = m_signaled;
        m_signaled = false;
        return was;
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_signaled = false;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_signaled = false;
};

}  // namespace engine
