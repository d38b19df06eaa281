#include "host/frame_loop.h"

#include "host/input.h"
#include "host/view.h"
#include "host/window.h"
#include "show/render_scene.h"

void ResizeVideoMode(int width, int height) {
    // The start-up flag word asks for full screen; a window the viewer made a
    // window must stay one when it is resized.
    const Uint32 flags = (VideoFlags & ~SDL_FULLSCREEN) | (MainWindow->flags & SDL_FULLSCREEN);
    MainWindow = SDL_SetVideoMode(width, height, kBitsPerPixel, flags);
    if (MainWindow == nullptr) {
        WriteErrorLine(" Failed resizing SDL window : ");
        Quit(kFailureStatus);
    }
    ReleaseGrabWhenWindowed();
    SizeOpenGLScreen(width, height);
}

void MainLoop() {
    bool quitRequested = false;
    SDL_Event event;
    while (!quitRequested) {
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT:
                quitRequested = true;
                break;
            case SDL_KEYDOWN:
                HandleKeyPressEvent(&event.key.keysym);
                break;
            case SDL_VIDEORESIZE:
                ResizeVideoMode(event.resize.w, event.resize.h);
                break;
            default:
                break;
            }
        }
        RenderScene();
    }
}
