// demo.xm played the way the show plays it: SDL_mixer at 44.1 kHz, signed
// 16-bit stereo, 2048-frame chunks, through SDL's disk audio driver, which
// writes every mixed chunk to a file faster than real time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kMixerChunkFrames = 2048;

struct MixerPlaybackOptions {
    // Stop once this many chunks of music have been mixed; 0 plays to the end.
    std::size_t musicChunks = 0;
    // Call Mix_FadeOutMusic(fadeMs) once this many chunks of music have been
    // mixed (from the mixing thread, between two chunks); negative: never.
    int fadeAfterChunks = -1;
    int fadeMs = 0;
    std::chrono::seconds bound{120};
};

struct MixerPlayback {
    int rate = 0; // as Mix_QuerySpec reports the opened device
    std::uint16_t format = 0;
    int channels = 0;
    double loadMs = 0;
    bool ended = false; // the music stopped by itself within the bound
    // Everything the disk driver wrote, interleaved; the music's first chunk
    // starts at sample `musicStart` (the device mixes silence until then; the
    // chunk just before it, marked to be found, is given back its silence).
    std::vector<std::int16_t> written;
    std::size_t musicStart = 0;
};

// Throws std::runtime_error when SDL or SDL_mixer fails.
MixerPlayback PlayThroughMixer(const std::string& modulePath,
                               const MixerPlaybackOptions& options = {});

// Samples divided by 32768, for the level measurements.
std::vector<float> UnitSamples(const std::vector<std::int16_t>& samples);
