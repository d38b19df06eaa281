// Renders a module the way the native show plays it, through SDL_mixer into
// SDL's disk audio driver, and writes the output as a 16-bit stereo WAV at
// 44.1 kHz: the reference the browser's output is compared with. The device
// plays silence from the moment the mixer opens until the music starts, a
// number of chunks that depends on timing; those leading silent chunks are
// left out (the page drops the music's own leading silent chunks likewise).
//
//   web_audio_reference MODULE OUT.wav
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <SDL.h>
#include <SDL_mixer.h>

#include "soundtrack_audio.h"

namespace {

constexpr int kChunkSize = 2048;
constexpr int kChannels = 2;
constexpr int kPlayOnce = 0;
constexpr int kBytesPerSample = 2;
constexpr auto kPlayBound = std::chrono::seconds(120);
constexpr auto kPoll = std::chrono::milliseconds(5);

void PutLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(char((value >> (8 * i)) & 0xff));
    }
}

bool WriteWav(const std::string& path, const std::vector<char>& pcm) {
    std::ofstream out(path, std::ios::binary);
    const auto size = std::uint32_t(pcm.size());
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + size, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2); // PCM
    PutLittleEndian(out, kChannels, 2);
    PutLittleEndian(out, kRenderRate, 4);
    PutLittleEndian(out, kRenderRate * kChannels * kBytesPerSample, 4);
    PutLittleEndian(out, kChannels * kBytesPerSample, 2);
    PutLittleEndian(out, 8 * kBytesPerSample, 2);
    out.write("data", 4);
    PutLittleEndian(out, size, 4);
    out.write(pcm.data(), std::streamsize(pcm.size()));
    return bool(out);
}

// Bytes of whole silent chunks at the start.
std::size_t LeadingSilence(const std::vector<char>& pcm) {
    constexpr std::size_t kChunkBytes = std::size_t(kChunkSize) * kChannels * kBytesPerSample;
    std::size_t silent = 0;
    while (silent + kChunkBytes <= pcm.size() &&
           std::all_of(pcm.begin() + long(silent), pcm.begin() + long(silent + kChunkBytes),
                       [](char byte) { return byte == 0; })) {
        silent += kChunkBytes;
    }
    return silent;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "web_audio_reference: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s MODULE OUT.wav\n", argv[0]);
        return 2;
    }
    const std::string capture = TemporaryPath("web-audio-reference");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        return Fail(std::string("no disk audio: ") + SDL_GetError());
    }
    if (Mix_OpenAudio(kRenderRate, AUDIO_S16LSB, kChannels, kChunkSize) != 0) {
        return Fail(std::string("cannot open the mixer: ") + Mix_GetError());
    }
    Mix_Music* music = Mix_LoadMUS(argv[1]);
    if (music == nullptr || Mix_PlayMusic(music, kPlayOnce) != 0) {
        return Fail(std::string(argv[1]) + ": " + Mix_GetError());
    }
    const auto deadline = std::chrono::steady_clock::now() + kPlayBound;
    while (Mix_PlayingMusic() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPoll);
    }
    const bool ended = !Mix_PlayingMusic();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();

    std::ifstream in(capture, std::ios::binary);
    std::vector<char> pcm(std::istreambuf_iterator<char>(in), {});
    std::remove(capture.c_str());
    if (!ended) {
        return Fail("the music did not end");
    }
    pcm.erase(pcm.begin(), pcm.begin() + long(LeadingSilence(pcm)));
    if (!WriteWav(argv[2], pcm)) {
        return Fail("cannot write " + std::string(argv[2]));
    }
    return 0;
}
