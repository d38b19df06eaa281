// Tromvisk in a browser: prints the credits (to the page and its console),
// sets up the canvas's GL and the music as the native show does, and leaves
// the rest to the browser's animation frames. The page starts the show after
// the viewer's first click or key, which the browser's audio policy wants.
#include <GL/gl.h>
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

#include "frame_loop_web.h"
#include "host/credits.h"
#include "host/music.h"
#include "host/start_settings.h"
#include "host/view.h"
#include "host/window.h"

int main() {
    PrintCredits();

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        WriteErrorLine("Failed initializing SDL Video : ");
        return kFailureStatus;
    }

    SetupPixelFormat();
    // The page is the window: the show starts in it, and f asks the browser
    // for full screen after a key press, never unasked.
    VideoFlags &= ~SDL_FULLSCREEN;
    CreateMyWindow(kCaption, kWidth, kHeight, VideoFlags);

    if (Mix_OpenAudio(kAudioFrequency, AUDIO_S16LSB, kAudioChannels, kAudioChunkSize) < 0) {
        std::fputs("bajs", stdout); // the show goes on in silence
        std::fflush(stdout);
    }
    Mix_Music* music = LoadMusic("demo.xm");

    Init();
    // The show draws no texture, and the GL emulation turns every frame black
    // with texturing on and nothing bound: take back the one state it leaves.
    glDisable(GL_TEXTURE_2D);

    RunWebFrameLoop(music);
    return 0;
}
