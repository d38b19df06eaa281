#include "frame_loop_web.h"

#include <GL/gl.h>
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

#include "host/music.h"
#include "host/start_settings.h"
#include "host/window.h"
#include "page_bridge.h"
#include "show/live_pace.h"
#include "show/motion.h"
#include "show/render_scene.h"
#include "show/timeline.h"
#include "show/view.h"

namespace {

constexpr int kBrowserFrameRate = 0; // the browser's animation frames
constexpr int kReturnAtOnce = 0;     // main returns; the page stays alive

enum class Phase { kWaiting, kPlaying, kFading, kEnded };

struct WebShow {
    Mix_Music* music = nullptr;
    Phase phase = Phase::kWaiting;
    // The turns move as if the show ran live at a steady rate: a 60 Hz and a
    // 144 Hz display show the same motion, and skipped frames still turn it.
    LivePace pace{kDefaultLiveFramesPerSecond, 1};
    double fadeEndsAtMs = 0;
    int width = kShowWidth;
    int height = kShowHeight;
    int wantedWidth = kShowWidth;
    int wantedHeight = kShowHeight;
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

// The closing fade, as natively, without waiting for it: the last frame
// shown stays on screen meanwhile.
void BeginEndFade() {
    StartSoundFade();
    show.phase = Phase::kFading;
    show.fadeEndsAtMs = emscripten_get_now() + kSoundFadeMs;
}

// Escape ends the show at once; f asks the browser for full screen or leaves
// it. A refused full screen changes nothing (natively a failed toggle ends
// the show; a browser refuses whenever it likes).
void HandleWebKey(const SDL_keysym* keysym) {
    switch (keysym->sym) {
    case SDLK_ESCAPE:
        Finish(kEndedByEscape); // at once, with no fade, as natively
        break;
    case SDLK_f:
        tromvisk_toggle_full_screen();
        break;
    default:
        break;
    }
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
    DrawShowFrameKeepingTurns(t);
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

void TromviskStart() {
    const bool loopStopped = show.phase == Phase::kEnded;
    // A fresh run, as a new process would start it: no turns, no live frames.
    RestoreTurns({0.0f, 0.0f, 0.0f});
    show.pace = LivePace(kDefaultLiveFramesPerSecond, 1);
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
