// The show's frame loop in the browser: one pass per animation frame, which
// drains the events (the two keys among them) and draws once, as natively.
#pragma once

#include <SDL_mixer.h>

// Runs the loop; the show itself waits for the page's start (TromviskStart).
void RunWebFrameLoop(Mix_Music* music);

// Called by the page.
extern "C" {
// After the start gesture, once the music can start: plays the show from its
// beginning (again, after an ending).
void TromviskStart();
// The canvas's new size in device pixels, applied at the next frame.
void TromviskResize(int width, int height);
}
