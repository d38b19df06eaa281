// The show's two keys in the browser.
#pragma once

#include <SDL.h>

// Escape ends the show at once; f asks the browser for full screen or leaves
// it. A refused full screen changes nothing (natively a failed toggle ends
// the show; a browser refuses whenever it likes).
void HandleWebKey(const SDL_keysym* keysym);
