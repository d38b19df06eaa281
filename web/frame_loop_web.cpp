#include "frame_loop_web.h"

#include <GL/gl.h>
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

#include "host/frame_loop.h"
#include "host/start_settings.h"
#include "host/window.h"
#include "keys_web.h"
#include "page_bridge.h"
#include "show/live_pace.h"
#include "show/motion.h"
#include "show/render_scene.h"
#include "show/show_clock.h"

namespace {

// The turns move as if the show ran live at this many frames a second, the
// capture's default motion rate: a 60 Hz and a 144 Hz display show the same
// motion, and the frames the browser skips still turn the cubes.
constexpr std::int64_t kLiveFramesPerSecond = 300;

// The closing fade, as natively: the music fades over a second while the
// last frame shown stays on screen.
constexpr int kAllChannels = -1;
constexpr int kFadeMs = 1000;

constexpr int kBrowserFrameRate = 0; // the browser's animation frames
constexpr int kReturnAtOnce = 0;     // main returns; the page stays alive

enum class Phase { kWaiting, kPlaying, kFading, kEnded };

struct WebShow {
    Mix_Music* music = nullptr;
    Phase phase = Phase::kWaiting;
    LivePace pace{kLiveFramesPerSecond, 1};
    double fadeEndsAtMs = 0;
    int width = kWidth;
    int height = kHeight;
    int wantedWidth = kWidth;
    int wantedHeight = kHeight;
};

WebShow show;

void ClearToBlack() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Finish(ShowEnding how) {
    Mix_HaltMusic();
    ClearToBlack();
    show.phase = Phase::kEnded;
    emscripten_cancel_main_loop();
    tromvisk_show_ended(how);
}

void BeginEndFade() {
    Mix_FadeOutChannel(kAllChannels, kFadeMs);
    Mix_FadeOutMusic(kFadeMs);
    show.phase = Phase::kFading;
    show.fadeEndsAtMs = emscripten_get_now() + kFadeMs;
}

void DrainEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        // Keys before the start belong to the start gesture.
        if (event.type == SDL_KEYDOWN && show.phase == Phase::kPlaying) {
            HandleWebKey(&event.key.keysym);
        }
    }
}

void ApplyWantedSize() {
    if (show.wantedWidth == show.width && show.wantedHeight == show.height) {
        return;
    }
    show.width = show.wantedWidth;
    show.height = show.wantedHeight;
    ResizeVideoMode(show.width, show.height);
}

// Draws the latest live frame at the show clock with the motion of every
// live frame before it; the frame's own motion runs at the next seek.
void DrawPacedFrame() {
    const float t = show.pace.Seek(tromvisk_show_seconds());
    if (t > kShowEnd) {
        BeginEndFade(); // the last frame shown stays, as natively
        return;
    }
    const Turns before = SaveTurns();
    DrawShowFrame(t);
    RestoreTurns(before);
}

void Frame() {
    DrainEvents();
    if (show.phase == Phase::kEnded) {
        return; // Escape during the drain
    }
    ApplyWantedSize();
    switch (show.phase) {
    case Phase::kWaiting:
        ClearToBlack();
        break;
    case Phase::kPlaying:
        DrawPacedFrame();
        break;
    case Phase::kFading:
        if (emscripten_get_now() >= show.fadeEndsAtMs) {
            Finish(kEndedByTheShow);
        }
        break;
    case Phase::kEnded:
        break;
    }
}

} // namespace

void RunWebFrameLoop(Mix_Music* music) {
    show.music = music;
    emscripten_set_main_loop(Frame, kBrowserFrameRate, kReturnAtOnce);
}

void EndShowAtOnce() {
    Finish(kEndedByEscape);
}

void TromviskStart() {
    const bool loopStopped = show.phase == Phase::kEnded;
    // A fresh run, as a new process would start it: no turns, no live frames.
    RestoreTurns({0.0f, 0.0f, 0.0f});
    show.pace = LivePace(kLiveFramesPerSecond, 1);
    Mix_HaltMusic();
    Mix_PlayMusic(show.music, kPlayOnce);
    show.phase = Phase::kPlaying;
    if (loopStopped) {
        emscripten_set_main_loop(Frame, kBrowserFrameRate, kReturnAtOnce);
    }
}

void TromviskResize(int width, int height) {
    if (width > 0 && height > 0) {
        show.wantedWidth = width;
        show.wantedHeight = height;
    }
}
