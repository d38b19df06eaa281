// Link-time substitute for the media layer and the mixer: the tick count,
// the event queue and the outcome of mode changes are set by the test, and
// every call is recorded in the call log.
#pragma once

#include <deque>

#include <SDL.h>

extern Uint32 fakeTicks;
extern std::deque<SDL_Event> fakeEvents;
extern bool fakeSetVideoModeFails;
extern bool fakeToggleFails;
extern bool fakeVideoInfoMissing;
extern SDL_Surface fakeSurface;
// The input grab as the media layer keeps it: on with every full-screen mode
// set, unchanged by a toggle, changed only when asked.
extern SDL_GrabMode fakeGrab;
// A window manager that answers every mode set with a resize to the other of
// two sizes, and the time each mode set takes on the tick count.
extern bool fakeResizeAfterEveryModeSet;
extern Uint32 fakeModeSetMs;

// Back to a clean state: clock at 0, no events, everything succeeds.
void ResetFakeMedia();

void PushKeyDown(SDLKey key);
void PushKeyUp(SDLKey key);
void PushResize(int width, int height);
void PushQuit();
