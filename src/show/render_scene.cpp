#include "show/render_scene.h"

#include <cstdlib>

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_mixer.h>

#include "host/stop_signals.h"
#include "show/camera_track.h"
#include "show/schedule.h"
#include "show/show_clock.h"

namespace {

constexpr int kAllChannels = -1;
constexpr int kFadeMs = 1000;

[[noreturn]] void EndShow() {
    Mix_FadeOutChannel(kAllChannels, kFadeMs);
    Mix_FadeOutMusic(kFadeMs);
    SDL_Delay(kFadeMs);
    IgnoreStopSignals();
    SDL_Quit();
    std::exit(0);
}

} // namespace

void DrawShowFrame(float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    PlaceCamera(t);
    RunSchedule(t);
}

void RenderScene() {
    const float t = SampleShowClock();
    DrawShowFrame(t);
    if (t > kShowEnd) {
        EndShow(); // the last frame drawn is never shown
    }
    SDL_GL_SwapBuffers();
}
