#include "pixel_frame.h"

#include <cstdio>
#include <cstdlib>

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include "host/window.h"
#include "show/camera_track.h"
#include "show/render_scene.h"
#include "show/view.h"

void OpenPixelTestWindow() {
    static bool open = false;
    if (open) {
        return;
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "cannot start video: %s\n", SDL_GetError());
        std::exit(1);
    }
    SetVideoFlagsAndGlAttributes();
    OpenShowWindow("bajs", kShowWidth, kShowHeight, VideoFlags);
    SetUpView();
    open = true;
}

void RenderShowFrameAt(float t) {
    DrawShowFrame(t);
    glFinish();
}

Pixel PixelAt(int x, int y) {
    unsigned char pixel[3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2]};
}

WindowPoint ProjectAt(float t, double x, double y, double z) {
    glLoadIdentity();
    PlaceCamera(t);
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glLoadIdentity();
    GLdouble winX = 0, winY = 0, winZ = 0;
    gluProject(x, y, z, modelview, projection, viewport, &winX, &winY, &winZ);
    const int px = static_cast<int>(winX);
    const int py = static_cast<int>(winY);
    const bool visible =
        px >= 0 && px < viewport[2] && py >= 0 && py < viewport[3] && winZ > 0.0 && winZ < 1.0;
    return {px, py, visible};
}
