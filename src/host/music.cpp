#include "host/music.h"

#include <sys/stat.h>

Mix_Music* LoadMusic(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    return Mix_LoadMUS(path);
}
