#include "host/input.h"

#include "host/window.h"

void HandleKeyPressEvent(const SDL_keysym* keysym) {
    switch (keysym->sym) {
    case SDLK_ESCAPE:
        Quit(0);
    case SDLK_f:
        ToggleFullScreen();
        break;
    default:
        break;
    }
}

void ToggleFullScreen() {
    if (SDL_WM_ToggleFullScreen(MainWindow) == 0) {
        WriteErrorLine("Failed to Toggle Fullscreen mode : ");
        Quit(kFailureStatus);
    }
    ReleaseGrabWhenWindowed();
}
