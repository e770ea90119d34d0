#pragma once
// Keeps a reading thread off its consumer's processor. Wake-ups can leave both threads of a
// pipeline on one processor while another is idle (seen on virtual machines); the pair then runs
// at half speed. When the reader finds itself on the consumer's processor twice running, it
// leaves that processor, and is free to go anywhere again from its next check on. Nothing changes
// where only one processor is allowed.

#include <sched.h>

#include <atomic>

namespace wm {

class ThreadSpread {
  public:
    // On the consumer's thread, whenever it takes work.
    void NoteConsumer() { m_consumer.store(sched_getcpu(), std::memory_order_relaxed); }
    // On the reading thread, once per piece of work.
    void Check();
    bool SteppedAway() const { return m_away; }  // the reader's own view

  private:
    std::atomic<int> m_consumer{-1};
    // The reading thread's only.
    int m_shared = 0;  // checks in a row on the consumer's processor
    bool m_away = false;
    cpu_set_t m_allowed;  // the reader's processors before it stepped away
};

}  // namespace wm
