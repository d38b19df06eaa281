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
#include <string>
#include <vector>

#include "mixer_playback.h"
#include "music/music_render.h"
#include "music/wav_writer.h"

namespace {

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
        WavWriter wav(argv[2]);
        wav.Write(written.data() + playback.musicStart,
                  (written.size() - playback.musicStart) / kMusicChannels);
        wav.Finish();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "web_audio_reference: %s\n", error.what());
        return 1;
    }
    return 0;
}
