// One whole capture: render on this thread, encode on a second one.
#pragma once

#include <stdexcept>

#include "capture/capture_options.h"

// Stopped by a signal: the status is 128 plus its number.
struct Interrupted : std::runtime_error {
    explicit Interrupted(int signal) : std::runtime_error("interrupted"), signalNumber(signal) {}
    int signalNumber;
};

// Throws UsageError, Interrupted, or std::runtime_error with one line.
void RunCapture(const CaptureOptions& options);
