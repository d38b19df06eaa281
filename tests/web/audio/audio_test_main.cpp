// The web mixer opened as the show opens it, for the audio test page: the
// page then starts the music through audio.js and checks what comes out.
#include <cstdio>

#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten/emscripten.h>

#include "host/music.h"
#include "host/start_settings.h"

namespace {
Mix_Music* music;
} // namespace

int main() {
    if (Mix_OpenAudio(kAudioFrequency, AUDIO_S16LSB, kAudioChannels, kAudioChunkSize) < 0) {
        std::printf("mixer: %s\n", Mix_GetError());
    }
    music = LoadMusic("demo.xm");
    if (Mix_PlayMusic(music, kPlayOnce) < 0) {
        std::printf("mixer: %s\n", Mix_GetError());
    }
    return 0;
}

// Plays the show's module again from its start; 0 on success.
extern "C" EMSCRIPTEN_KEEPALIVE int TestPlayAgain() {
    return Mix_PlayMusic(music, kPlayOnce);
}

extern "C" EMSCRIPTEN_KEEPALIVE int TestPlaying() {
    return Mix_PlayingMusic();
}

extern "C" EMSCRIPTEN_KEEPALIVE int TestFadeOut(int milliseconds) {
    return Mix_FadeOutMusic(milliseconds);
}

// Loads the module at `path` in place of the show's, as the show loads its
// own, and plays it; returns the mixer's error text, empty when it plays.
extern "C" EMSCRIPTEN_KEEPALIVE const char* TestPlayOther(const char* path) {
    Mix_HaltMusic();
    SDL_ClearError();
    Mix_Music* other = LoadMusic(path);
    if (other == nullptr || Mix_PlayMusic(other, kPlayOnce) < 0) {
        return Mix_GetError(); // empty where the file is not there at all
    }
    return "";
}
