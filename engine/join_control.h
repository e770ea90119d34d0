#pragma once
// A running join's controls from outside: a stop flag, a hold, and the commit point past
// which neither acts. Every method may be called from any thread.

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace engine {

class JoinControl {
  public:
    void SetStopFlag(const std::atomic<bool>* flag) { m_stopFlag = flag; }
    bool StopRequested() const { return m_stopFlag && m_stopFlag->load(); }
    // False when the join is already past its commit point.
    bool Hold(bool on) {
        {
            std::lock_guard<std::mutex> g(m_lock);
            if (m_committing) return false;
            m_holding = on;
        }
        m_changed.notify_all();
        return true;
    }
    void WaitWhileHeld() {
        if (!m_holding) return;
        std::unique_lock<std::mutex> g(m_lock);
        m_changed.wait(g, [this] { return !m_holding; });
    }
    // Waits while held; then true, and no hold or stop acts any more, unless a stop was asked.
    bool PassCommitPoint() {
        std::unique_lock<std::mutex> g(m_lock);
        m_changed.wait(g, [this] { return !m_holding; });
        if (StopRequested()) return false;
        m_committing = true;
        return true;
    }

  private:
    const std::atomic<bool>* m_stopFlag = nullptr;  // set before the join
    std::mutex m_lock;                              // guards the two below
    std::condition_variable m_changed;
    std::atomic<bool> m_holding{false};
    bool m_committing = false;
};

}  // namespace engine
