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

// Called after every toggle and resize. A window must let the pointer go, but
// the media layer keeps the input grab of full screen after a toggle to a
// window (and reports it as on); full screen keeps the grab as it has it.
void ReleaseGrabWhenWindowed();

// Sets the mode into MainWindow; on failure writes errorLine and quits. The
// line also comes out when a library ends the process inside the mode set.
void SetVideoModeOrQuit(int width, int height, Uint32 flags, const char* errorLine);

// The start-up flag word (full screen, resizable, OpenGL, and what the
// hardware offers) and the GL attributes of the window to come.
void SetVideoFlagsAndGlAttributes();
// Sets the video mode and names the window; an error line and the end on failure.
void OpenShowWindow(const char* caption, int width, int height, Uint32 flags);

// Re-creates the video mode at a new size, keeping full screen or window as it is now.
void ResizeVideoMode(int width, int height);
