// The show clock: seconds since the media layer came up.
#pragma once

#include <SDL.h>

// Show time of the end title's last moment; the first frame past it ends the show.
constexpr float kShowEnd = 107.0f;

float ShowClockFromTicks(Uint32 ticks);
float SampleShowClock();
