#include "host/music.h"

#include <sys/stat.h>

#include <SDL.h>

namespace {
constexpr int kAllChannels = -1;
constexpr int kFadeMs = 1000;
} // namespace

Mix_Music* LoadMusic(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    return Mix_LoadMUS(path);
}

void FadeOutSound() {
    Mix_FadeOutChannel(kAllChannels, kFadeMs);
    Mix_FadeOutMusic(kFadeMs);
    SDL_Delay(kFadeMs);
}
