// The video mode: its flag word, the surface, and the one way out after a failure.
#pragma once

#include <SDL.h>

// Exit status of every ending that follows an error line.
constexpr int kFailureStatus = 1;

// Every video mode the show sets, at start-up and on a resize.
constexpr int kBitsPerPixel = 16;

extern Uint32 VideoFlags;
extern SDL_Surface* MainWindow;

// Writes message, the media layer's error text and a line end to standard error.
void WriteErrorLine(const char* message);

[[noreturn]] void Quit(int status);

void SetupPixelFormat();
void CreateMyWindow(const char* caption, int width, int height, Uint32 flags);
