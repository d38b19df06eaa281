#include "show_snapshot.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "host/view.h"
#include "host/window.h"
#include "show/render_scene.h"

namespace {

// The frames before the one kept only advance the turns: draw them small, at
// the same aspect, so the projection and the motion stay the same.
constexpr int kWarmUpScale = 100;

} // namespace

bool TakeShowSnapshot(const SnapshotRequest& request, RgbImage& image, std::string& error) {
    // Off screen whatever the session has: a build must not open windows.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        error = std::string("no off-screen video: ") + SDL_GetError();
        return false;
    }
    SetupPixelFormat(); // the show's own buffer attributes
    if (SDL_SetVideoMode(request.width, request.height, kBitsPerPixel, SDL_OPENGL) == nullptr) {
        error = std::string("no off-screen OpenGL context: ") + SDL_GetError();
        SDL_Quit();
        return false;
    }
    InitializeOpenGL(request.width, request.height);

    SizeOpenGLScreen(request.width / kWarmUpScale, request.height / kWarmUpScale);
    for (int frame = 1; frame < request.frame; ++frame) {
        DrawShowFrame(request.showSeconds);
    }
    SizeOpenGLScreen(request.width, request.height);
    DrawShowFrame(request.showSeconds);
    glFinish();

    image.width = request.width;
    image.height = request.height;
    image.pixels.assign(std::size_t(request.width) * std::size_t(request.height) * 3, 0);
    std::vector<std::uint8_t> bottomUp(image.pixels.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, request.width, request.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const std::size_t row = std::size_t(request.width) * 3;
    for (int y = 0; y < request.height; ++y) { // GL rows run bottom up
        std::copy_n(bottomUp.begin() + std::ptrdiff_t(row * std::size_t(request.height - 1 - y)),
                    row, image.pixels.begin() + std::ptrdiff_t(row * std::size_t(y)));
    }
    const GLenum glError = glGetError();
    SDL_Quit();
    if (glError != GL_NO_ERROR) {
        error = "OpenGL error " + std::to_string(glError) + " while drawing the frame";
        return false;
    }
    return true;
}
