// The part of SDL_mixer 1.2 that the show uses, for the web build: the music
// is rendered by MusicRender (libmikmod set up as SDL_mixer sets it up) when
// the page's audio script pulls it, instead of by an audio thread. These
// definitions take the place of the browser SDL library's own Mix_ functions,
// which hand the module to the browser's decoder (it cannot play XM).
#include <SDL.h>
#include <SDL_mixer.h>

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define WEB_MUSIC_EXPORT EMSCRIPTEN_KEEPALIVE
#else
#define WEB_MUSIC_EXPORT // built natively for its tests
#endif

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "music/music_render.h"
#include "web_music.h"

struct _Mix_Music {
    std::string path;
};

namespace {

constexpr int kPlayOnce = 0;
constexpr int kPlayOnceToo = 1; // SDL_mixer 1.2 plays 1 loop once as well

// libmikmod plays one module at a time, so there is one render at most: that
// of the music playing, or of the one loaded last.
struct Mixer {
    int openCount = 0;
    Mix_Music* playing = nullptr;
    std::unique_ptr<MusicRender> render;
    Mix_Music* renderOf = nullptr;
    bool fresh = false; // `render` is at its module's start
};
Mixer mixer;

void DropRender() {
    mixer.render.reset();
    mixer.renderOf = nullptr;
    mixer.fresh = false;
}

// Starts a render of `music` from its start, or sets the reason as the error.
bool StartRender(Mix_Music* music) {
    DropRender();
    try {
        mixer.render = std::make_unique<MusicRender>(music->path);
    } catch (const std::exception& error) {
        Mix_SetError("%s", error.what());
        return false;
    }
    mixer.renderOf = music;
    mixer.fresh = true;
    return true;
}

} // namespace

extern "C" {

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize) {
    if (frequency != kMusicRate || format != AUDIO_S16LSB || channels != kMusicChannels ||
        chunksize != kMusicChunkFrames) {
        Mix_SetError("the web mixer plays %d Hz signed 16-bit stereo in chunks of %d frames only",
                     kMusicRate, kMusicChunkFrames);
        return -1;
    }
    ++mixer.openCount;
    return 0;
}

int Mix_QuerySpec(int* frequency, Uint16* format, int* channels) {
    if (mixer.openCount == 0) {
        return 0;
    }
    if (frequency != nullptr) {
        *frequency = kMusicRate;
    }
    if (format != nullptr) {
        *format = AUDIO_S16LSB;
    }
    if (channels != nullptr) {
        *channels = kMusicChannels;
    }
    return mixer.openCount;
}

int Mix_HaltMusic(void) {
    mixer.playing = nullptr;
    return 0;
}

void Mix_CloseAudio(void) {
    if (mixer.openCount == 0) {
        return;
    }
    if (--mixer.openCount == 0) {
        Mix_HaltMusic();
        DropRender();
    }
}

Mix_Music* Mix_LoadMUS(const char* file) {
    if (mixer.openCount == 0) {
        Mix_SetError("Audio device hasn't been opened");
        return nullptr;
    }
    if (file == nullptr) {
        Mix_SetError("music file name was NULL");
        return nullptr;
    }
    auto music = std::make_unique<Mix_Music>(Mix_Music{file});
    // Loading checks the module, as natively, unless that would stop the music
    // playing: then playing it does.
    if (mixer.playing == nullptr && !StartRender(music.get())) {
        return nullptr;
    }
    return music.release();
}

void Mix_FreeMusic(Mix_Music* music) {
    if (music == nullptr) {
        return;
    }
    // Natively this waits for a fade to finish; the web cannot block, so the
    // caller fades first and frees after.
    if (music == mixer.playing) {
        Mix_HaltMusic();
    }
    if (music == mixer.renderOf) {
        DropRender();
    }
    delete music;
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
    if (mixer.openCount == 0) {
        Mix_SetError("Audio device hasn't been opened");
        return -1;
    }
    if (music == nullptr) {
        Mix_SetError("music parameter was NULL");
        return -1;
    }
    if (loops != kPlayOnce && loops != kPlayOnceToo) {
        Mix_SetError("the web mixer plays music once only");
        return -1;
    }
    Mix_HaltMusic();
    if ((mixer.renderOf != music || !mixer.fresh) && !StartRender(music)) {
        return -1;
    }
    mixer.playing = music;
    return 0;
}

int Mix_PlayingMusic(void) {
    return mixer.playing != nullptr && mixer.render->Playing() ? 1 : 0;
}

int Mix_FadeOutMusic(int ms) {
    if (!Mix_PlayingMusic()) {
        return 0;
    }
    if (ms <= 0) {
        Mix_HaltMusic();
        return 1;
    }
    mixer.render->FadeOut(ms);
    return 1;
}

// The show plays no sound effects: no channel is ever playing.
int Mix_FadeOutChannel(int /*which*/, int /*ms*/) {
    return 0;
}

int Mix_HaltChannel(int /*channel*/) {
    return 0;
}

WEB_MUSIC_EXPORT int WebMusicRender(int16_t* out, int frames) {
    if (out == nullptr || frames <= 0 || frames % kMusicChunkFrames != 0) {
        return 0;
    }
    if (mixer.playing == nullptr) {
        std::memset(out, 0, sizeof(int16_t) * std::size_t(frames) * kMusicChannels);
        return frames;
    }
    mixer.render->Render(out, std::size_t(frames));
    mixer.fresh = false;
    if (!mixer.render->Playing()) {
        mixer.playing = nullptr; // played through or faded out
    }
    return frames;
}

WEB_MUSIC_EXPORT int WebMusicRate(void) {
    return kMusicRate;
}

WEB_MUSIC_EXPORT int WebMusicChunkFrames(void) {
    return kMusicChunkFrames;
}

} // extern "C"
