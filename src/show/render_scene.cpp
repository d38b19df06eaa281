#include "show/render_scene.h"

#include <GL/gl.h>

#include "show/camera_track.h"
#include "show/motion.h"
#include "show/schedule.h"

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
