// The two keys the show answers.
#pragma once

#include <SDL.h>

void HandleKeyPressEvent(const SDL_keysym* keysym);
void ToggleFullScreen();
