#include "host/music.h"

#include <sys/stat.h>

#include <SDL.h>

namespace {
constexpr int kAllChannels = -1;
} // namespace

Mix_Music* LoadMusic(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    return Mix_LoadMUS(path);
}

void StartSoundFade() {
    Mix_FadeOutChannel(kAllChannels, kSoundFadeMs);
    Mix_FadeOutMusic(kSoundFadeMs);
}

void FadeOutSound() {
    StartSoundFade();
    SDL_Delay(kSoundFadeMs);
}
