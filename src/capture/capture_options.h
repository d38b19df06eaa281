// The capture's command line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "show/live_pace.h"

// Bad usage: the message names the option; the program exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CaptureOptions {
    std::string output;
    int width = 1920;
    int height = 1080;
    std::int64_t fpsNum = 60; // frames a second, as a fraction
    std::int64_t fpsDen = 1;
    int samples = 4;    // --aa: samples per pixel
    double from = 0;    // seconds of show time
    double to = -1;     // negative: to the end
    int crf = -1;       // negative: the codec's default for the format
    std::string preset; // empty: the codec's default for the format
    std::string music;  // empty: demo.xm next to the program
    bool noMusic = false;
    std::int64_t motionRateNum = kDefaultLiveFramesPerSecond; // live frames a second
    std::int64_t motionRateDen = 1;
    bool fill = false; // the wider view instead of the show's 4:3
    bool quiet = false;
    bool help = false;
};

// Throws UsageError for anything it cannot take.
CaptureOptions ParseCaptureOptions(int argc, char** argv);

// Seconds as the help and the errors write them: 108, 2.5.
std::string SecondsText(double seconds);

// The --help text.
std::string CaptureUsage(const char* program);
