#include "host/frame_loop.h"

#include <SDL.h>

#include "host/input.h"
#include "host/music.h"
#include "host/tick_clock.h"
#include "host/window.h"
#include "show/render_scene.h"
#include "show/timeline.h"

namespace {

// A window system may answer each mode change with a resize to a size the
// show set a moment before (a window manager that insists, or the late echo
// of the show's own change); the queue then never empties and no frame is
// drawn. New sizes are the viewer's, and any number of them is applied; going
// back to one of the last few sizes of the same drain is the mode failing to
// settle, allowed this many times or for this long.
constexpr int kRecentSizes = 8;
constexpr int kReturnsPerDrain = 20;
constexpr Uint32 kSettleMs = 1000;

struct Size {
    int width, height;
};

// The mode changes of one drain of the event queue.
struct ModeChanges {
    Size recent[kRecentSizes];
    int count = 0;
    int returns = 0;
    Uint32 firstReturnMs = 0;
};

bool IsRecent(const ModeChanges& changes, const Size& size) {
    const int known = changes.count < kRecentSizes ? changes.count : kRecentSizes;
    for (int i = 0; i < known; ++i) {
        if (changes.recent[i].width == size.width && changes.recent[i].height == size.height) {
            return true;
        }
    }
    return false;
}

// Records a change to size; false when it would be one return too many.
bool MayChangeModeTo(ModeChanges& changes, const Size& size) {
    if (IsRecent(changes, size)) {
        const Uint32 now = SDL_GetTicks();
        if (changes.returns == 0) {
            changes.firstReturnMs = now;
        } else if (changes.returns >= kReturnsPerDrain ||
                   now - changes.firstReturnMs >= kSettleMs) {
            return false;
        }
        ++changes.returns;
    }
    changes.recent[changes.count % kRecentSizes] = size;
    ++changes.count;
    return true;
}

// Returns false when the drain must end: a quit request is waiting while the
// mode will not settle. Without one, a mode that will not settle is a failure.
bool HandleResize(const SDL_ResizeEvent& resize, bool quitRequested, ModeChanges& changes) {
    if (resize.w == MainWindow->w && resize.h == MainWindow->h) {
        return true; // the surface has that size already
    }
    if (!MayChangeModeTo(changes, {resize.w, resize.h})) {
        if (quitRequested) {
            return false;
        }
        SDL_SetError("the window size does not settle");
        WriteErrorLine(" Failed resizing SDL window : ");
        Quit(kFailureStatus);
    }
    ResizeVideoMode(resize.w, resize.h);
    return true;
}

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
        ModeChanges changes;
        bool draining = true;
        while (draining && SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT:
                quitRequested = true;
                break;
            case SDL_KEYDOWN:
                HandleKeyPressEvent(&event.key.keysym);
                break;
            case SDL_VIDEORESIZE:
                draining = HandleResize(event.resize, quitRequested, changes);
                break;
            default:
                break;
            }
        }
        RenderScene();
    }
}
