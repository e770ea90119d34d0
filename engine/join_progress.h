#pragma once
// A join's share done by the inputs' bytes: inputs finished, the running one's samples written,
// and the whole. Written by the driver and the running reader's callbacks; read from any thread.

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace engine {

class JoinProgress {
  public:
    void Restart() {
        m_total = m_done = m_running = 0;
        m_outputFinished = false;
    }
    void AddInput(uint64_t bytes) { m_total += bytes; }
    void BeginInput() { m_running = 0; }
    // From one thread at a time, the running reader's callbacks: no locked add is needed.
    void AddWritten(uint64_t bytes) {
        m_running.store(m_running.load(std::memory_order_relaxed) + bytes,
                        std::memory_order_relaxed);
    }
    void EndInput(uint64_t bytes) {
        m_running = 0;
        m_done += bytes;
    }
    // The output is written whole; what follows (markers, scripts) is not counted.
    void FinishOutput() { m_outputFinished = true; }
    bool OutputFinished() const { return m_outputFinished; }
    // 0 to 1; 0 before the sizes are known.
    double Share() const {
        if (m_outputFinished) return 1.0;
        if (m_total == 0) return 0.0;
        return std::min(1.0, double(m_done + m_running) / double(m_total));
    }

  private:
    std::atomic<uint64_t> m_total{0};
    std::atomic<uint64_t> m_done{0};
    std::atomic<uint64_t> m_running{0};
    std::atomic<bool> m_outputFinished{false};
};

}  // namespace engine
