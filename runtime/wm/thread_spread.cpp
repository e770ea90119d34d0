#include "thread_spread.h"

namespace wm {

void ThreadSpread::Check() {
    if (m_away) {
        m_away = false;
        m_shared = 0;
        sched_setaffinity(0, sizeof m_allowed, &m_allowed);
        return;
    }
    const int here = sched_getcpu();
    if (here < 0 || here != m_consumer.load(std::memory_order_relaxed)) {
        m_shared = 0;
        return;
    }
    if (++m_shared < 2) return;
    cpu_set_t others;
    if (sched_getaffinity(0, sizeof others, &others) != 0) return;
    m_allowed = others;
    CPU_CLR(here, &others);
    if (CPU_COUNT(&others) == 0) return;
    m_away = sched_setaffinity(0, sizeof others, &others) == 0;
}

}  // namespace wm
