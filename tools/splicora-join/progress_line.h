#pragma once
// The share of a running join done, shown on standard error while it runs, only when standard
// error is a terminal: a log or a pipe gets nothing extra.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "merger.h"

class CProgressLine {
  public:
    // Starts showing merger's progress; the merger must outlive this object.
    explicit CProgressLine(const engine::CMerger& merger);
    // Stops and clears the line.
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

  private:
    void Show(double done);

    const engine::CMerger& m_merger;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    std::thread m_thread;
};
