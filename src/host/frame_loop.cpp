#include "host/frame_loop.h"

#include <SDL.h>

#include "host/input.h"
#include "host/music.h"
#include "host/tick_clock.h"
#include "host/window.h"
#include "show/render_scene.h"
#include "show/timeline.h"

namespace {

// The music is left to the process's end: this path never frees it.
[[noreturn]] void EndShow() {
    FadeOutSound();
    Quit(0);
}

} // namespace

void RenderScene() {
    const float t = SampleShowClock();
    DrawShowFrame(t);
    if (t > kShowEnd) {
        EndShow(); // the last frame drawn is never shown
    }
    SDL_GL_SwapBuffers();
}

void MainLoop() {
    bool quitRequested = false;
    SDL_Event event;
    while (!quitRequested) {
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT:
                quitRequested = true;
                break;
            case SDL_KEYDOWN:
                HandleKeyPressEvent(&event.key.keysym);
                break;
            case SDL_VIDEORESIZE:
                ResizeVideoMode(event.resize.w, event.resize.h);
                break;
            default:
                break;
            }
        }
        RenderScene();
    }
}
