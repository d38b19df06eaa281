#include "capture/stop_request.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void NoteStop(int signal) {
    if (stopSignal == 0) {
        stopSignal = signal;
    }
}

} // namespace

void CatchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = NoteStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() {
    return stopSignal;
}
