// The start-up the native and the web program share: the credits, the media
// layer's video, the show's window, the sound device and the music.
#pragma once

#include <SDL_mixer.h>

// Prints the credits and starts the media layer's video. On failure writes
// the error line and returns false.
bool PrintCreditsAndStartVideo();

enum class WindowStart { kFullScreen, kWindowed };

// Opens the show's window at the show's own size (an error line and the end
// on failure), then the sound device (the show goes on in silence without
// one), and loads the music: null for silence.
Mix_Music* OpenWindowAndSound(WindowStart start);
