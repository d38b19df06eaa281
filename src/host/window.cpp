#include "host/window.h"

#include "host/stop_signals.h"
#include "show/view.h"

#include <cstdio>
#include <cstdlib>

Uint32 VideoFlags;
SDL_Surface* MainWindow;

namespace {

constexpr int kDepthBits = 16;

struct GlAttribute {
    SDL_GLattr attribute;
    int value;
};

// Double buffered with a 16-bit depth buffer; no stencil and no accumulation
// buffer. Colour sizes stay at the media layer's defaults.
constexpr GlAttribute kGlAttributes[] = {
    {SDL_GL_DOUBLEBUFFER, 1},     {SDL_GL_DEPTH_SIZE, kDepthBits}, {SDL_GL_STENCIL_SIZE, 0},
    {SDL_GL_ACCUM_RED_SIZE, 0},   {SDL_GL_ACCUM_GREEN_SIZE, 0},    {SDL_GL_ACCUM_BLUE_SIZE, 0},
    {SDL_GL_ACCUM_ALPHA_SIZE, 0},
};

// The error line of the mode set under way. A library under the media layer
// may end the process from inside it (the X library's default error handler
// exits when the server refuses a GL context, e.g. when memory is short): the
// show's own line must still come out, after the library's report.
const char* modeSetErrorLine;

void WriteLineOfModeSetUnderWay() {
    if (modeSetErrorLine != nullptr) {
        SDL_SetError("the display's libraries ended the program (their report is above)");
        WriteErrorLine(modeSetErrorLine);
    }
}

} // namespace

void WriteErrorLine(const char* message) {
    std::fprintf(stderr, "%s%s\n", message, SDL_GetError());
    std::fflush(stderr);
}

void Quit(int status) {
    IgnoreStopSignals();
    SDL_Quit();
    std::exit(status);
}

void ReleaseGrabWhenWindowed() {
    if ((MainWindow->flags & SDL_FULLSCREEN) == 0) {
        SDL_WM_GrabInput(SDL_GRAB_OFF);
    }
}

void SetVideoFlagsAndGlAttributes() {
    VideoFlags = SDL_OPENGL;
    VideoFlags |= SDL_HWPALETTE;
    VideoFlags |= SDL_RESIZABLE;
    VideoFlags |= SDL_FULLSCREEN;

    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr) {
        WriteErrorLine("Failed getting Video Info : ");
        Quit(kFailureStatus);
    }
    if (info->hw_available) {
        VideoFlags |= SDL_HWSURFACE;
    }
    if (info->blit_hw) {
        VideoFlags |= SDL_HWACCEL;
    }

    for (const GlAttribute& attribute : kGlAttributes) {
        SDL_GL_SetAttribute(attribute.attribute, attribute.value);
    }
}

void SetVideoModeOrQuit(int width, int height, Uint32 flags, const char* errorLine) {
    static const bool lineAtExit = std::atexit(WriteLineOfModeSetUnderWay) == 0;
    (void)lineAtExit;
    modeSetErrorLine = errorLine;
    MainWindow = SDL_SetVideoMode(width, height, kBitsPerPixel, flags);
    modeSetErrorLine = nullptr;
    if (MainWindow == nullptr) {
        WriteErrorLine(errorLine);
        Quit(kFailureStatus);
    }
}

void OpenShowWindow(const char* caption, int width, int height, Uint32 flags) {
    SetVideoModeOrQuit(width, height, flags, "Failed to Create Window : ");
    SDL_WM_SetCaption(caption, caption);
}

void ResizeVideoMode(int width, int height) {
    // The start-up flag word asks for full screen; a window the viewer made a
    // window must stay one when it is resized.
    const Uint32 flags = (VideoFlags & ~SDL_FULLSCREEN) | (MainWindow->flags & SDL_FULLSCREEN);
    SetVideoModeOrQuit(width, height, flags, " Failed resizing SDL window : ");
    ReleaseGrabWhenWindowed();
    SizeView(width, height);
}
