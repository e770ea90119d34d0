#include "stop_signals.h"

#include <csignal>

namespace platform {

namespace {

std::atomic<bool> g_stop{false};
volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnStopSignal(int signal) {
    if (g_signal == 0) g_signal = signal;
    g_stop.store(true);
}

}  // namespace

const std::atomic<bool>& CatchStopSignals() {
    static_assert(std::atomic<bool>::is_always_lock_free);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    return g_stop;
}

int StopSignal() { return g_signal; }

}  // namespace platform
