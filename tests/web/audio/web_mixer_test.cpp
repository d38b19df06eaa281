// The web build's SDL_mixer stand-in, built natively over the same music
// render: what the show's calls do to the samples the page pulls.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "show/timeline.h"
#include "soundtrack_audio.h"
#include "web_music.h"

// Natively, SDL's error functions come from the media library, which this test
// does not link: the mixer's reasons land here.
namespace {
char lastError[512];
} // namespace
extern "C" void SDL_SetError(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(lastError, sizeof lastError, format, arguments);
    va_end(arguments);
}
extern "C" char* SDL_GetError(void) {
    return lastError;
}

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kChunk = 2048;
constexpr int kPlayOnce = 0;
constexpr int kFadeMs = kSoundFadeMs; // the show's own fade
constexpr int kFadeStepMs = 46;       // one chunk, as SDL_mixer counts it
constexpr int kFadeChunks = (kFadeMs + kFadeStepMs - 1) / kFadeStepMs;

using Samples = std::vector<std::int16_t>;

Samples Pull(int chunks) {
    Samples out(std::size_t(chunks) * kChunk * kChannels, 1);
    for (int i = 0; i < chunks; ++i) {
        EXPECT_EQ(WebMusicRender(out.data() + std::size_t(i) * kChunk * kChannels, kChunk), kChunk);
    }
    return out;
}

bool Silent(const Samples& samples) {
    for (std::int16_t sample : samples) {
        if (sample != 0) {
            return false;
        }
    }
    return true;
}

double Peak(const Samples& samples, std::size_t from, std::size_t count) {
    int peak = 0;
    for (std::size_t i = from; i < from + count && i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    return peak;
}

class WebMixer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Mix_OpenAudio(kRate, AUDIO_S16LSB, kChannels, kChunk), 0) << Mix_GetError();
    }
    void TearDown() override {
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) > 0) {
            Mix_CloseAudio();
        }
    }
};

TEST(WebMixerSetUp, OnlyTheShowsFormatOpens) {
    EXPECT_EQ(WebMusicRate(), kRate);
    EXPECT_EQ(WebMusicChunkFrames(), kChunk);
    EXPECT_EQ(Mix_OpenAudio(48000, AUDIO_S16LSB, kChannels, kChunk), -1);
    EXPECT_NE(std::string(Mix_GetError()).find("44100"), std::string::npos) << Mix_GetError();
    EXPECT_EQ(Mix_OpenAudio(kRate, AUDIO_S16LSB, 1, kChunk), -1);
    EXPECT_EQ(Mix_OpenAudio(kRate, AUDIO_S16LSB, kChannels, 1024), -1);
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(Mix_LoadMUS(SOUNDTRACK_XM_PATH), nullptr) << "loaded with the audio closed";
    EXPECT_EQ(Mix_PlayMusic(nullptr, kPlayOnce), -1);
}

TEST_F(WebMixer, NothingPlayingIsSilenceAndBadCountsWriteNothing) {
    EXPECT_TRUE(Silent(Pull(2)));
    Samples out(kChunk * kChannels, 7);
    EXPECT_EQ(WebMusicRender(out.data(), kChunk / 2), 0);
    EXPECT_EQ(WebMusicRender(out.data(), 0), 0);
    EXPECT_EQ(WebMusicRender(nullptr, kChunk), 0);
    EXPECT_EQ(out.front(), 7);
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    EXPECT_EQ(rate, kRate);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, kChannels);
}

TEST_F(WebMixer, PlaysTheModuleAndPlaysItAgainFromTheTop) {
    Mix_Music* music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    ASSERT_NE(music, nullptr) << Mix_GetError();
    EXPECT_FALSE(Mix_PlayingMusic()) << "playing before Mix_PlayMusic";
    EXPECT_TRUE(Silent(Pull(1)));
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    EXPECT_TRUE(Mix_PlayingMusic());
    const Samples first = Pull(40);
    EXPECT_FALSE(Silent(first));
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    EXPECT_EQ(Pull(40), first) << "played again, the music does not start from the top";
    EXPECT_EQ(Mix_HaltMusic(), 0);
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_TRUE(Silent(Pull(2)));
    Mix_FreeMusic(music);
}

TEST_F(WebMixer, LoopingIsRefusedWithAReason) {
    Mix_Music* music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(Mix_PlayMusic(music, -1), -1);
    EXPECT_NE(std::string(Mix_GetError()), "");
    EXPECT_EQ(Mix_PlayMusic(music, 1), 0) << "one loop plays once, as in SDL_mixer 1.2";
    Mix_FreeMusic(music);
}

TEST_F(WebMixer, TheShowsFadeStepsDownAndEndsTheMusic) {
    Mix_Music* music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    Pull(100);
    EXPECT_EQ(Mix_FadeOutChannel(-1, kFadeMs), 0) << "the show plays no sound effects";
    EXPECT_EQ(Mix_FadeOutMusic(kFadeMs), 1);
    int chunks = 0;
    Samples faded;
    while (Mix_PlayingMusic() && chunks < 10 * kFadeChunks) {
        const Samples chunk = Pull(1);
        faded.insert(faded.end(), chunk.begin(), chunk.end());
        ++chunks;
    }
    EXPECT_EQ(chunks, kFadeChunks + 1) << "the fade does not take the show's second";
    const std::size_t chunkSamples = std::size_t(kChunk) * kChannels;
    EXPECT_GT(Peak(faded, 0, 4 * chunkSamples),
              4 * Peak(faded, faded.size() - 4 * chunkSamples, 4 * chunkSamples));
    EXPECT_TRUE(Silent(Pull(2)));
    EXPECT_EQ(Mix_FadeOutMusic(kFadeMs), 0) << "faded what was not playing";
    Mix_FreeMusic(music);
}

TEST_F(WebMixer, FreeingTheMusicPlayingOrClosingStopsIt) {
    Mix_Music* music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    Pull(2);
    Mix_FreeMusic(music);
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_TRUE(Silent(Pull(1)));

    music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    Mix_CloseAudio();
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_TRUE(Silent(Pull(1)));
    EXPECT_EQ(Mix_PlayMusic(music, kPlayOnce), -1) << "played with the audio closed";
    Mix_FreeMusic(music);
}

TEST_F(WebMixer, ABrokenModuleFailsToLoadWithItsNameAndTheMusicPlayingGoesOn) {
    const std::string broken = TemporaryPath("web-mixer-broken");
    std::ofstream(broken) << "Extended Module: not really";
    Mix_Music* broke = Mix_LoadMUS(broken.c_str());
    EXPECT_EQ(broke, nullptr);
    EXPECT_NE(std::string(Mix_GetError()).find(broken), std::string::npos) << Mix_GetError();
    EXPECT_EQ(Mix_LoadMUS((broken + "-missing").c_str()), nullptr);

    // Loaded while another plays, a broken module is found out when played;
    // the music playing goes on until then.
    Mix_Music* music = Mix_LoadMUS(SOUNDTRACK_XM_PATH);
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    const Samples before = Pull(4);
    Mix_Music* later = Mix_LoadMUS(broken.c_str());
    ASSERT_NE(later, nullptr);
    EXPECT_TRUE(Mix_PlayingMusic());
    EXPECT_FALSE(Silent(Pull(4)));
    EXPECT_EQ(Mix_PlayMusic(later, kPlayOnce), -1);
    EXPECT_NE(std::string(Mix_GetError()).find(broken), std::string::npos) << Mix_GetError();
    EXPECT_TRUE(Silent(Pull(1)));
    Mix_FreeMusic(later);
    ASSERT_EQ(Mix_PlayMusic(music, kPlayOnce), 0);
    EXPECT_EQ(Pull(4), before);
    Mix_FreeMusic(music);
    std::remove(broken.c_str());
}

} // namespace
