// The show's music module.
#pragma once

#include <SDL_mixer.h>

#include "show/timeline.h"

// Loads the module at path, or returns null for silence. Anything but a
// regular file (a FIFO, a terminal, a directory) is never opened: opening a
// FIFO with no writer would stall start-up for good while the clock runs.
Mix_Music* LoadMusic(const char* path);

// Starts fading every channel and the music out over kSoundFadeMs.
void StartSoundFade();

// Fades every channel and the music out, and waits for it.
void FadeOutSound();
