// Tromvisk in a browser: prints the credits (to the page and its console),
// sets up the canvas's GL and the music as the native show does, and leaves
// the rest to the browser's animation frames. The page starts the show after
// the viewer's first click or key, which the browser's audio policy wants.
#include <GL/gl.h>

#include <cstdio>

#include "frame_loop_web.h"
#include "host/start_up.h"
#include "host/window.h"
#include "show/view.h"

int main() {
    if (!PrintCreditsAndStartVideo()) {
        return kFailureStatus;
    }
    // The page is the window: the show starts in it, and f asks the browser
    // for full screen after a key press, never unasked.
    Mix_Music* music = OpenWindowAndSound(WindowStart::kWindowed);
    // A page never exits: what the start-up printed goes to the console now.
    std::fflush(stdout);

    SetUpView();
    // The show draws no texture, and the GL emulation turns every frame black
    // with texturing on and nothing bound: take back the one state it leaves.
    glDisable(GL_TEXTURE_2D);

    RunWebFrameLoop(music);
    return 0;
}
