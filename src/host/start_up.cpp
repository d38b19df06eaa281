#include "host/start_up.h"

#include <SDL.h>

#include <cstdio>

#include "host/credits.h"
#include "host/music.h"
#include "host/start_settings.h"
#include "host/window.h"
#include "show/view.h"

bool PrintCreditsAndStartVideo() {
    PrintCredits();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        WriteErrorLine("Failed initializing SDL Video : ");
        return false;
    }
    return true;
}

Mix_Music* OpenWindowAndSound(WindowStart start) {
    SetVideoFlagsAndGlAttributes();
    if (start == WindowStart::kWindowed) {
        VideoFlags &= ~SDL_FULLSCREEN;
    }
    OpenShowWindow(kCaption, kShowWidth, kShowHeight, VideoFlags);

    if (Mix_OpenAudio(kAudioFrequency, AUDIO_S16LSB, kAudioChannels, kAudioChunkSize) < 0) {
        std::fputs("bajs", stdout); // the show goes on in silence; the line goes out at exit
    }
    return LoadMusic("demo.xm");
}
