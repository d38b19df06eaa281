// SDL_mixer loads demo.xm the way the show does and plays it once through
// SDL's disk audio driver, which writes the mixed output to a file, faster
// than real time.
#include <gtest/gtest.h>

#include <cstdio>

#include <SDL.h>

#include "mixer_playback.h"
#include "soundtrack_audio.h"

namespace {

constexpr double kOpeningSeconds = 3.0;
constexpr double kAudibleDbfs = -40.0;
constexpr double kHeadroomDbfs = -1.0;
constexpr double kLongestQuietSeconds = 2.0;
constexpr double kShortestSong = 105.0;
constexpr double kLongestSong = 110.0;
// Sanity bounds only: shared machines are slow and noisy.
constexpr double kLoadBoundMs = 1000.0;

TEST(SoundtrackMixer, PlaysOnceThroughWithoutClipping) {
    const MixerPlayback playback = PlayThroughMixer(SOUNDTRACK_XM_PATH);
    ASSERT_EQ(playback.rate, kRenderRate);
    ASSERT_EQ(playback.format, AUDIO_S16LSB);
    ASSERT_EQ(playback.channels, 2);
    const std::vector<float> output = UnitSamples(playback.written);

    EXPECT_LT(playback.loadMs, kLoadBoundMs);
    EXPECT_TRUE(playback.ended) << "still playing after " << MixerPlaybackOptions{}.bound.count()
                                << " s";
    const AudioLevels levels = MeasureLevels(output, kRenderRate);
    const double song = levels.lastSound - levels.firstSound;
    const double opening = RmsDbfs(output, kRenderRate, levels.firstSound, kOpeningSeconds);
    std::printf("SDL_mixer: loaded in %.1f ms, %.2f s of music, peak %.2f dBFS, opening RMS "
                "%.1f dBFS, longest quiet %.3f s\n",
                playback.loadMs, song, levels.peakDbfs, opening, levels.longestQuiet);
    RecordProperty("load_ms", std::to_string(playback.loadMs));
    RecordProperty("peak_dbfs", std::to_string(levels.peakDbfs));

    EXPECT_GT(opening, kAudibleDbfs) << "the first seconds are silent";
    EXPECT_LE(levels.peakDbfs, kHeadroomDbfs);
    EXPECT_EQ(levels.fullScaleFrames, 0);
    EXPECT_GE(song, kShortestSong);
    EXPECT_LE(song, kLongestSong);
    EXPECT_LT(levels.longestQuiet, kLongestQuietSeconds);
}

} // namespace
