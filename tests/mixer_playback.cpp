#include "mixer_playback.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include <SDL.h>
#include <SDL_mixer.h>

#include "soundtrack_audio.h"

namespace {

constexpr int kPlayOnce = 0;
constexpr int kStereo = 2;
constexpr float kFullScale = 32768.0f;
constexpr auto kPollInterval = std::chrono::milliseconds(2);

// Shared with the mixing thread, which calls CountChunk after every chunk.
struct MixingCount {
    std::atomic<std::size_t> chunks{0};
    std::atomic<long> musicFrom{-1}; // the chunk count when the music started
    int fadeAfterChunks = -1;
    int fadeMs = 0;
};

void CountChunk(void* data, Uint8* /*stream*/, int /*len*/) {
    auto* count = static_cast<MixingCount*>(data);
    const std::size_t mixed = ++count->chunks;
    const long from = count->musicFrom;
    // The audio lock is held here and is recursive: Mix_FadeOutMusic may take it.
    if (from >= 0 && count->fadeAfterChunks >= 0 &&
        mixed - std::size_t(from) == std::size_t(count->fadeAfterChunks)) {
        Mix_FadeOutMusic(count->fadeMs);
    }
}

[[noreturn]] void Fail(const std::string& what, const char* why) {
    throw std::runtime_error(what + ": " + why);
}

std::vector<std::int16_t> ReadS16(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto low = std::uint8_t(bytes[2 * i]);
        const auto high = std::uint8_t(bytes[2 * i + 1]);
        samples[i] = std::int16_t(std::uint16_t(low | (high << 8)));
    }
    return samples;
}

} // namespace

MixerPlayback PlayThroughMixer(const std::string& modulePath, const MixerPlaybackOptions& options) {
    const std::string capture = TemporaryPath("mixer-playback");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        Fail("SDL_Init", SDL_GetError());
    }
    MixerPlayback playback;
    MixingCount count;
    count.fadeAfterChunks = options.fadeAfterChunks;
    count.fadeMs = options.fadeMs;
    if (Mix_OpenAudio(kRenderRate, AUDIO_S16LSB, kStereo, kMixerChunkFrames) != 0) {
        SDL_Quit();
        Fail("Mix_OpenAudio", Mix_GetError());
    }
    Mix_QuerySpec(&playback.rate, &playback.format, &playback.channels);
    Mix_SetPostMix(CountChunk, &count);

    const auto before = std::chrono::steady_clock::now();
    Mix_Music* music = Mix_LoadMUS(modulePath.c_str());
    playback.loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before)
            .count();
    if (music == nullptr) {
        Mix_CloseAudio();
        SDL_Quit();
        Fail("Mix_LoadMUS", Mix_GetError());
    }
    // Started between two chunks, so the music's first chunk is known exactly.
    SDL_LockAudio();
    const int played = Mix_PlayMusic(music, kPlayOnce);
    count.musicFrom = long(count.chunks);
    SDL_UnlockAudio();
    if (played != 0) {
        Mix_FreeMusic(music);
        Mix_CloseAudio();
        SDL_Quit();
        Fail("Mix_PlayMusic", Mix_GetError());
    }
    const auto deadline = std::chrono::steady_clock::now() + options.bound;
    const auto musicMixed = [&] { return count.chunks - std::size_t(count.musicFrom); };
    while (std::chrono::steady_clock::now() < deadline) {
        if (options.musicChunks > 0 ? musicMixed() >= options.musicChunks : !Mix_PlayingMusic()) {
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    playback.ended = !Mix_PlayingMusic();
    // Closing the device ends its thread after the chunk it is writing.
    Mix_SetPostMix(nullptr, nullptr);
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();

    playback.written = ReadS16(capture);
    std::remove(capture.c_str());
    playback.musicStart = std::size_t(count.musicFrom) * kMixerChunkFrames * kStereo;
    if (playback.written.size() < playback.musicStart) {
        throw std::runtime_error("the disk audio driver wrote fewer chunks than were mixed");
    }
    return playback;
}

std::vector<float> UnitSamples(const std::vector<std::int16_t>& samples) {
    std::vector<float> unit(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        unit[i] = float(samples[i]) / kFullScale;
    }
    return unit;
}
