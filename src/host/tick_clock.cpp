#include "host/tick_clock.h"

#include <SDL.h>

#include "show/show_clock.h"

float SampleShowClock() {
    return ShowClockFromTicks(SDL_GetTicks());
}
