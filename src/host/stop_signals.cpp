#include "host/stop_signals.h"

#include <csignal>

namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void HoldStopSignals() {
    const sigset_t signals = StopSignals();
    sigprocmask(SIG_BLOCK, &signals, nullptr);
}

void ReleaseStopSignals() {
    const sigset_t signals = StopSignals();
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

void IgnoreStopSignals() {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
}
