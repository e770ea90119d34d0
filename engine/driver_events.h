#pragma once
// Reports from the readers' callbacks to the one thread that drives a join, in order. The
// driver waits for the kind of report its step expects; any other report before it is a
// stray (a second failure of a segment, a late close), dropped and counted.

#include <condition_variable>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <optional>

#include "wm_interfaces.h"

namespace engine {

struct DriverEvent {
    WMT_STATUS status;  // WMT_OPENED, WMT_EOF or WMT_ERROR (a segment's end), WMT_STOPPED, ...
    HRESULT hr;
};

class CDriverEvents {
  public:
    // Any thread.
    void Push(DriverEvent e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(e);
        m_added.notify_one();
    }
    // The driver: the next event of one of the kinds, strays before it dropped.
    DriverEvent WaitFor(std::initializer_list<WMT_STATUS> kinds) {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_added.wait(lock, [this] { return !m_events.empty(); });
            DriverEvent e = m_events.front();
            m_events.pop_front();
            for (WMT_STATUS kind : kinds)
                if (e.status == kind) return e;
            ++m_strays;
        }
    }
    // The next event of any kind, without waiting.
    std::optional<DriverEvent> TryPop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_events.empty()) return std::nullopt;
        DriverEvent e = m_events.front();
        m_events.pop_front();
        return e;
    }
    // Drops what is pending (a new step starts from nothing).
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strays += m_events.size();
        m_events.clear();
    }
    size_t Strays() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_strays;
    }

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_added;
    std::deque<DriverEvent> m_events;
    size_t m_strays = 0;
};

}  // namespace engine
