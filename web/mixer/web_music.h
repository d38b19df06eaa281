// What the page's audio script pulls from the web build's mixer: the music,
// rendered on demand in the same chunks SDL_mixer pulls natively.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Renders the next `frames` frames (a positive multiple of WebMusicChunkFrames())
// of the playing music into `out` as interleaved signed 16-bit stereo at
// WebMusicRate() frames a second: silence when no music plays or the mixer is
// closed. Returns `frames`, or 0 (nothing written) for a bad count.
int WebMusicRender(int16_t* out, int frames);

int WebMusicRate(void);        // 44100
int WebMusicChunkFrames(void); // 2048

#ifdef __cplusplus
}
#endif
