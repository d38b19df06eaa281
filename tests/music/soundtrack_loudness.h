// Loudness as EBU R128 defines it, measured by FFmpeg's ebur128 filter, and
// the few plain measurements the mix tests add to it (stereo width, onsets).
#pragma once

#include <string>
#include <vector>

struct Loudness {
    double integrated = -999; // LUFS
    double range = 0;         // LU
    double truePeak = -999;   // dBTP
};

// Runs FFmpeg on the stereo samples (44.1 kHz, in -1..1, written as 32-bit
// float so nothing clips on the way); throws when FFmpeg is missing or fails.
Loudness MeasureLoudness(const std::vector<float>& stereo);

// The momentary loudness (LUFS, over 400 ms) that FFmpeg's ebur128 reports
// every 100 ms, by the time each block ends: one run of FFmpeg, from which the
// integrated loudness of any stretch follows.
struct LoudnessBlocks {
    std::vector<double> ends;
    std::vector<double> momentary;
};
LoudnessBlocks MeasureBlocks(const std::vector<float>& stereo);

// Integrated loudness (LUFS) of the blocks that lie within the spans, gated
// as EBU R128 gates it (-70 LUFS, then 10 LU under the mean).
struct Span {
    double from; // seconds
    double to;
};
double IntegratedLoudness(const LoudnessBlocks& blocks, const std::vector<Span>& spans);

// `seconds` of stereo from `start`, cut to what there is.
std::vector<float> Slice(const std::vector<float>& stereo, double start, double seconds);

// Side (L-R) energy over mid (L+R) energy, in dB: -inf for mono, 0 for
// uncorrelated channels.
double SideToMidDb(const std::vector<float>& stereo);

// Times (s) where the sound rises above `threshold` (magnitude) after at
// least `quietSeconds` below it.
std::vector<double> Onsets(const std::vector<float>& stereo, double threshold, double quietSeconds);
