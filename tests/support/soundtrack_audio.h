// Measurements on rendered stereo audio, and the bits of plumbing the
// playback tests share (temporary files, running a player).
#pragma once

#include <string>
#include <vector>

constexpr int kRenderRate = 44100;

// Interleaved stereo in -1..1 (16-bit data divided by 32768).
std::vector<float> ReadRawS16(const std::string& path);
std::vector<float> ReadRawF32(const std::string& path);
// 16-bit PCM stereo WAV at 44.1 kHz; throws for any other kind.
std::vector<float> ReadWav16(const std::string& path);

struct AudioLevels {
    double seconds = 0;      // length of the whole buffer
    double firstSound = 0;   // first frame above the silence threshold
    double lastSound = 0;    // last such frame
    double peakDbfs = -999;  // highest magnitude, dB relative to full scale
    int fullScaleFrames = 0; // samples at or beyond full scale: clipping
    double longestQuiet = 0; // longest run below the threshold between first and last sound
};

// Silence means every sample of both channels below -60 dBFS.
AudioLevels MeasureLevels(const std::vector<float>& stereo, int rate);

// RMS level in dBFS of `seconds` from `start`.
double RmsDbfs(const std::vector<float>& stereo, int rate, double start, double seconds);

// A fresh path in the temporary directory; the caller removes the file.
std::string TemporaryPath(const std::string& stem);

// Single-quoted for the shell.
std::string ShellQuoted(const std::string& text);
