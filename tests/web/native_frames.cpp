// Test-only: the native frames the web show is compared with. Opens the
// show's own window and view on the test's X display, plays the show's motion
// at the web's live rate up to each time given (ascending), draws the frame
// with the show's code and writes it, read back before it is presented, as a
// binary PPM: the same steps as the web's frame loop, through the system's GL
// and GLU.
//   native_frames [--size WxH] OUTDIR SECONDS...   writes OUTDIR/SECONDS.ppm
// With --size, the window is re-sized to W x H after the start, as the web
// canvas is when the page is not 800 x 600.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/start_settings.h"
#include "host/window.h"
#include "show/live_pace.h"
#include "show/motion.h"
#include "show/render_scene.h"
#include "show/view.h"

namespace {

bool WritePpm(const std::string& path, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (int row = height - 1; row >= 0; --row) { // GL rows run bottom up
        std::fwrite(pixels.data() + static_cast<size_t>(row) * width * 3, 3, width, file);
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    int width = kShowWidth;
    int height = kShowHeight;
    if (argc > 2 && std::string(argv[1]) == "--size") {
        if (std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
            std::fprintf(stderr, "native_frames: --size wants WxH, not %s\n", argv[2]);
            return 2;
        }
        first = 3;
    }
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: %s [--size WxH] OUTDIR SECONDS...\n", argv[0]);
        return 2;
    }
    const std::string outDir = argv[first];
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "native_frames: cannot start video: %s\n", SDL_GetError());
        return 1;
    }
    SetVideoFlagsAndGlAttributes();
    OpenShowWindow(kCaption, kShowWidth, kShowHeight, VideoFlags);
    SetUpView();
    if (width != kShowWidth || height != kShowHeight) {
        ResizeVideoMode(width, height);
    }

    LivePace pace(kDefaultLiveFramesPerSecond, 1);
    for (int i = first + 1; i < argc; ++i) {
        const float t = pace.Seek(std::strtod(argv[i], nullptr));
        DrawShowFrameKeepingTurns(t);
        glFinish();
        const std::string path = outDir + "/" + argv[i] + ".ppm";
        if (!WritePpm(path, width, height)) {
            std::fprintf(stderr, "native_frames: cannot write %s\n", path.c_str());
            return 1;
        }
        SDL_GL_SwapBuffers();
    }
    SDL_Quit();
    return 0;
}
