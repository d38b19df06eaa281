// Test-only: the native frames the web show is compared with. Opens the
// show's own window and view on the test's X display, plays the show's motion
// at the web's live rate up to each time given (ascending), draws the frame
// with the show's code and writes it, read back before it is presented, as a
// binary PPM: the same steps as the web's frame loop, through the system's GL
// and GLU.
//   native_frames OUTDIR SECONDS...   writes OUTDIR/SECONDS.ppm
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/start_settings.h"
#include "host/view.h"
#include "host/window.h"
#include "show/live_pace.h"
#include "show/motion.h"
#include "show/render_scene.h"

namespace {

constexpr std::int64_t kLiveFramesPerSecond = 300; // the web show's rate

bool WritePpm(const std::string& path) {
    std::vector<unsigned char> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", kWidth, kHeight);
    for (int row = kHeight - 1; row >= 0; --row) { // GL rows run bottom up
        std::fwrite(pixels.data() + static_cast<size_t>(row) * kWidth * 3, 3, kWidth, file);
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTDIR SECONDS...\n", argv[0]);
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "native_frames: cannot start video: %s\n", SDL_GetError());
        return 1;
    }
    SetupPixelFormat();
    CreateMyWindow(kCaption, kWidth, kHeight, VideoFlags);
    Init();

    LivePace pace(kLiveFramesPerSecond, 1);
    for (int i = 2; i < argc; ++i) {
        const float t = pace.Seek(std::strtod(argv[i], nullptr));
        const Turns before = SaveTurns();
        DrawShowFrame(t);
        glFinish();
        RestoreTurns(before);
        const std::string path = std::string(argv[1]) + "/" + argv[i] + ".ppm";
        if (!WritePpm(path)) {
            std::fprintf(stderr, "native_frames: cannot write %s\n", path.c_str());
            return 1;
        }
        SDL_GL_SwapBuffers();
    }
    SDL_Quit();
    return 0;
}
