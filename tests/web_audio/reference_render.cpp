// Renders a module the way the native show plays it, through SDL_mixer into
// SDL's disk audio driver, and writes the music from its first chunk on as a
// 16-bit stereo WAV at 44.1 kHz: the reference the browser's output is
// compared with. With a fade, Mix_FadeOutMusic(FADE_MS) is called after
// FADE_AFTER_CHUNKS chunks of music, between two chunks.
//
//   web_audio_reference MODULE OUT.wav [FADE_AFTER_CHUNKS FADE_MS]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "mixer_playback.h"
#include "soundtrack_audio.h"

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::uint32_t kHeaderBytesAfterSize = 36;
constexpr std::uint16_t kPcm = 1;

void PutLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(char((value >> (8 * i)) & 0xff));
    }
}

bool WriteWav(const std::string& path, const std::int16_t* samples, std::size_t count) {
    std::ofstream out(path, std::ios::binary);
    const auto size = std::uint32_t(count * kBytesPerSample);
    out.write("RIFF", 4);
    PutLittleEndian(out, kHeaderBytesAfterSize + size, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, kFormatChunkBytes, 4);
    PutLittleEndian(out, kPcm, 2);
    PutLittleEndian(out, kChannels, 2);
    PutLittleEndian(out, kRenderRate, 4);
    PutLittleEndian(out, kRenderRate * kChannels * kBytesPerSample, 4);
    PutLittleEndian(out, kChannels * kBytesPerSample, 2);
    PutLittleEndian(out, 8 * kBytesPerSample, 2);
    out.write("data", 4);
    PutLittleEndian(out, size, 4);
    for (std::size_t i = 0; i < count; ++i) {
        PutLittleEndian(out, std::uint16_t(samples[i]), kBytesPerSample);
    }
    return bool(out);
}

bool ParseCount(const char* text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 0 || parsed > 1000000) {
        return false;
    }
    value = int(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    MixerPlaybackOptions options;
    if ((argc != 3 && argc != 5) || (argc == 5 && (!ParseCount(argv[3], options.fadeAfterChunks) ||
                                                   !ParseCount(argv[4], options.fadeMs)))) {
        std::fprintf(stderr, "usage: %s MODULE OUT.wav [FADE_AFTER_CHUNKS FADE_MS]\n", argv[0]);
        return 2;
    }
    try {
        const MixerPlayback playback = PlayThroughMixer(argv[1], options);
        if (!playback.ended) {
            std::fprintf(stderr, "web_audio_reference: %s: the music did not end\n", argv[1]);
            return 1;
        }
        const std::vector<std::int16_t>& written = playback.written;
        if (!WriteWav(argv[2], written.data() + playback.musicStart,
                      written.size() - playback.musicStart)) {
            std::fprintf(stderr, "web_audio_reference: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "web_audio_reference: %s\n", error.what());
        return 1;
    }
    return 0;
}
