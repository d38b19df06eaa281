#include "keys_web.h"

#include "frame_loop_web.h"
#include "page_bridge.h"

void HandleWebKey(const SDL_keysym* keysym) {
    switch (keysym->sym) {
    case SDLK_ESCAPE:
        EndShowAtOnce();
        break;
    case SDLK_f:
        tromvisk_toggle_full_screen();
        break;
    default:
        break;
    }
}
