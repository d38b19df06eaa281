// SDL_mixer loads demo.xm the way the show does and plays it once through
// SDL's disk audio driver, which writes the mixed output to a file, faster
// than real time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <SDL.h>
#include <SDL_mixer.h>

#include "soundtrack_audio.h"

namespace {

constexpr int kChunkSize = 2048;
constexpr int kPlayOnce = 0;
constexpr double kOpeningSeconds = 3.0;
constexpr double kAudibleDbfs = -40.0;
constexpr double kHeadroomDbfs = -1.0;
constexpr double kLongestQuietSeconds = 2.0;
constexpr double kShortestSong = 105.0;
constexpr double kLongestSong = 110.0;
// Sanity bounds only: shared machines are slow and noisy.
constexpr double kLoadBoundMs = 1000.0;
constexpr auto kPlayBound = std::chrono::seconds(120);

TEST(SoundtrackMixer, PlaysOnceThroughWithoutClipping) {
    const std::string capture = TemporaryPath("soundtrack-mixer");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(kRenderRate, AUDIO_S16LSB, 2, kChunkSize), 0) << Mix_GetError();
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    ASSERT_EQ(rate, kRenderRate);
    ASSERT_EQ(format, AUDIO_S16LSB);
    ASSERT_EQ(channels, 2);

    const auto before = std::chrono::steady_clock::now();
    Mix_Music* music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    const double loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before)
            .count();
    ASSERT_NE(music, nullptr) << Mix_GetError();
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0) << Mix_GetError();
    const auto deadline = std::chrono::steady_clock::now() + kPlayBound;
    while (Mix_PlayingMusic() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool ended = !Mix_PlayingMusic();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();
    const std::vector<float> output = ReadRawS16(capture);
    std::remove(capture.c_str());

    EXPECT_LT(loadMs, kLoadBoundMs);
    EXPECT_TRUE(ended) << "still playing after " << kPlayBound.count() << " s";
    const AudioLevels levels = MeasureLevels(output, kRenderRate);
    const double song = levels.lastSound - levels.firstSound;
    const double opening = RmsDbfs(output, kRenderRate, levels.firstSound, kOpeningSeconds);
    std::printf("SDL_mixer: loaded in %.1f ms, %.2f s of music, peak %.2f dBFS, opening RMS "
                "%.1f dBFS, longest quiet %.3f s\n",
                loadMs, song, levels.peakDbfs, opening, levels.longestQuiet);
    RecordProperty("load_ms", std::to_string(loadMs));
    RecordProperty("peak_dbfs", std::to_string(levels.peakDbfs));

    EXPECT_GT(opening, kAudibleDbfs) << "the first seconds are silent";
    EXPECT_LE(levels.peakDbfs, kHeadroomDbfs);
    EXPECT_EQ(levels.fullScaleFrames, 0);
    EXPECT_GE(song, kShortestSong);
    EXPECT_LE(song, kLongestSong);
    EXPECT_LT(levels.longestQuiet, kLongestQuietSeconds);
}

} // namespace
