#include "show/render_scene.h"

#include <GL/gl.h>
#include <SDL.h>

#include "host/music.h"
#include "host/window.h"
#include "show/camera_track.h"
#include "show/motion.h"
#include "show/schedule.h"
#include "show/show_clock.h"

namespace {

// The music is left to the process's end: this path never frees it.
[[noreturn]] void EndShow() {
    FadeOutSound();
    Quit(0);
}

} // namespace

void DrawShowFrame(float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    PlaceCamera(t);
    RunSchedule(t);
}

void DrawShowFrameKeepingTurns(float t) {
    const Turns turns = SaveTurns();
    DrawShowFrame(t);
    RestoreTurns(turns);
}

void RenderScene() {
    const float t = SampleShowClock();
    DrawShowFrame(t);
    if (t > kShowEnd) {
        EndShow(); // the last frame drawn is never shown
    }
    SDL_GL_SwapBuffers();
}
