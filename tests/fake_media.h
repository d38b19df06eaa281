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

// Back to a clean state: clock at 0, no events, everything succeeds.
void ResetFakeMedia();

void PushKeyDown(SDLKey key);
void PushKeyUp(SDLKey key);
void PushResize(int width, int height);
void PushQuit();
