#pragma once
// The engine's lock, taken once per sample and seldom waited for: one locked instruction takes
// it and a plain store lets it go, where a system mutex costs a call and two locked
// instructions per sample. A waiter gives up its time slice while the holder runs, which may
// be in a write to the disk.

#include <atomic>
#include <thread>

namespace engine {

class SampleLock {
  public:
    void lock() {
        while (m_held.exchange(true, std::memory_order_acquire))
            while (m_held.load(std::memory_order_relaxed)) std::this_thread::yield();
    }
    void unlock() { m_held.store(false, std::memory_order_release); }

  private:
    std::atomic<bool> m_held{false};
};

}  // namespace engine
