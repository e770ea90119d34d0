#include "progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

CProgressLine::CProgressLine(const engine::CMerger& merger) : m_merger(merger) {
    if (!isatty(STDERR_FILENO)) return;
    m_thread = std::thread([this] {
        std::unique_lock<std::mutex> lock(m_mutex);
        // Four times a second, from the start.
        do Show(m_merger.Progress());
        while (
            !m_stopped.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_stop; }));
    });
}

CProgressLine::~CProgressLine() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_stopped.notify_all();
    m_thread.join();
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

void CProgressLine::Show(double done) {
    std::fprintf(stderr, "\rjoining: %3d%%", int(std::clamp(done, 0.0, 1.0) * 100));
    std::fflush(stderr);
}
