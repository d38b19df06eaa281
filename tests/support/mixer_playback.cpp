#include "mixer_playback.h"

#include <algorithm>
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
constexpr std::size_t kChunkSamples = std::size_t(kMixerChunkFrames) * kStereo;
// Closing the device may drop the chunk it mixed last: mix a little more.
constexpr std::size_t kClosingMargin = 2;
constexpr std::size_t kMarkerStep = 7919;
constexpr std::size_t kMarkerOffset = 101;

// Shared with the mixing thread, which calls CountChunk after every chunk.
// The music is started and faded from there too, between two chunks, so that
// the chunk where each takes effect is known exactly.
struct MixingCount {
    std::atomic<std::size_t> chunks{0};
    std::atomic<long> musicFrom{-1}; // the chunk count when the music started
    std::atomic<int> playResult{0};
    Mix_Music* music = nullptr;
    int fadeAfterChunks = -1;
    int fadeMs = 0;
};

// The chunk mixed just before the music starts is overwritten with this
// pattern (it would be silence), so that the music's first chunk can be found
// in the written file whatever the device wrote before.
std::int16_t MarkerSample(std::size_t i) {
    return std::int16_t(std::uint16_t(i * kMarkerStep + kMarkerOffset));
}

void CountChunk(void* data, Uint8* stream, int len) {
    auto* count = static_cast<MixingCount*>(data);
    const std::size_t mixed = ++count->chunks;
    const long from = count->musicFrom;
    // SDL_mixer takes the audio lock, which this thread holds: it is recursive.
    if (from < 0) {
        auto* samples = reinterpret_cast<std::int16_t*>(stream);
        for (std::size_t i = 0; i < std::size_t(len) / sizeof(std::int16_t); ++i) {
            samples[i] = MarkerSample(i);
        }
        count->playResult = Mix_PlayMusic(count->music, kPlayOnce);
        count->musicFrom = long(mixed);
    } else if (count->fadeAfterChunks >= 0 &&
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

    const auto before = std::chrono::steady_clock::now();
    count.music = Mix_LoadMUS(modulePath.c_str());
    playback.loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before)
            .count();
    if (count.music == nullptr) {
        Mix_CloseAudio();
        SDL_Quit();
        Fail("Mix_LoadMUS", Mix_GetError());
    }
    Mix_SetPostMix(CountChunk, &count);
    const auto deadline = std::chrono::steady_clock::now() + options.bound;
    const auto finished = [&] {
        const long from = count.musicFrom;
        if (from < 0) {
            return false;
        }
        if (count.playResult != 0) {
            return true;
        }
        return options.musicChunks > 0
                   ? count.chunks - std::size_t(from) >= options.musicChunks + kClosingMargin
                   : !Mix_PlayingMusic();
    };
    while (!finished() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
    }
    playback.ended = !Mix_PlayingMusic();
    Mix_HaltMusic();
    Mix_FreeMusic(count.music);
    Mix_CloseAudio();
    Mix_SetPostMix(nullptr, nullptr);
    SDL_Quit();
    playback.written = ReadS16(capture);
    std::remove(capture.c_str());
    if (count.playResult != 0) {
        Fail("Mix_PlayMusic", "failed");
    }
    if (count.musicFrom < 0) {
        Fail("SDL's disk audio driver", "mixed nothing");
    }

    // The music starts after the marked chunk; the device wrote silence before.
    std::size_t marker = 0;
    const auto marked = [&](std::size_t chunk) {
        for (std::size_t i = 0; i < kChunkSamples; ++i) {
            if (playback.written[chunk * kChunkSamples + i] != MarkerSample(i)) {
                return false;
            }
        }
        return true;
    };
    const std::size_t writtenChunks = playback.written.size() / kChunkSamples;
    while (marker < writtenChunks && !marked(marker)) {
        ++marker;
    }
    if (marker == writtenChunks) {
        throw std::runtime_error("the disk audio driver did not write the chunk before the music");
    }
    playback.musicStart = (marker + 1) * kChunkSamples;
    // Back to the silence the device mixed there.
    std::fill_n(playback.written.begin() + long(marker * kChunkSamples), kChunkSamples, 0);
    if (!std::all_of(playback.written.begin(),
                     playback.written.begin() + long(marker * kChunkSamples),
                     [](std::int16_t sample) { return sample == 0; })) {
        throw std::runtime_error("the disk audio driver wrote sound before the music started");
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
