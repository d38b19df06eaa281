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
    // A window shows the cursor, full screen hides it again. Xwayland keeps
    // the pointer lock it made for full screen's hidden, grabbed pointer until
    // the pointer leaves the window or a cursor is shown; shown and at once
    // hidden again, the cursor never reaches it.
    SDL_ShowCursor((MainWindow->flags & SDL_FULLSCREEN) != 0 ? SDL_DISABLE : SDL_ENABLE);
}
