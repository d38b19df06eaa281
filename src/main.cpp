// Tromvisk: prints the credits, opens the show's window, starts the music and
// runs the show until it ends, the viewer quits or the window is closed.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <SDL.h>
#include <SDL_mixer.h>

#include "host/frame_loop.h"
#include "host/music.h"
#include "host/start_settings.h"
#include "host/start_up.h"
#include "host/stop_signals.h"
#include "host/window.h"
#include "show/view.h"

namespace {

Mix_Music* music;

// Printing the credits is not what the show is for: a reader that has gone
// away must not end it, so a failed write to standard output is let go. A
// standard descriptor that was closed gets /dev/null, so that nothing we write
// lands in whatever the libraries open next (the X connection).
void GuardStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY); // lowest free
        }
    }
}

// With no display the media layer quietly falls back to a driver that shows
// nothing; a show nobody can see is a failure, unless the driver was chosen.
bool VideoDriverCanBeSeen() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && chosen[0] != '\0') {
        return true;
    }
    char name[64];
    if (SDL_VideoDriverName(name, sizeof name) == nullptr) {
        return false;
    }
    return std::strcmp(name, "offscreen") != 0 && std::strcmp(name, "dummy") != 0;
}

} // namespace

int main(int, char**) {
    GuardStandardStreams();
    // Until the media layer can turn a signal into a quit request, hold it.
    HoldStopSignals();
    if (!PrintCreditsAndStartVideo()) {
        return kFailureStatus;
    }
    if (!VideoDriverCanBeSeen()) {
        SDL_SetError("no display available");
        WriteErrorLine("Failed initializing SDL Video : ");
        IgnoreStopSignals();
        SDL_Quit();
        return kFailureStatus;
    }

    ReleaseStopSignals();

    music = OpenWindowAndSound(WindowStart::kFullScreen);
    Mix_PlayMusic(music, kPlayOnce);
    SDL_ShowCursor(SDL_DISABLE);
    SetUpView();

    MainLoop();

    FadeOutSound();
    Mix_FreeMusic(music);
    // Returning with the device open lets the mixer's thread run into the
    // libraries' teardown; close it and shut down first.
    Mix_CloseAudio();
    IgnoreStopSignals();
    SDL_Quit();
    return 0;
}
