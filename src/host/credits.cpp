#include "host/credits.h"

#include <cstdio>

namespace {

// The group's address is also the one the show types out in cubes.
constexpr const char* kCredits[] = {
    "             Tromvisk                 ",
    "     by: virvelstormgarden            ",
    " _______________________________________ ",
    "                        ",
    "   code: d0rvik                 ",
    "           music: trimbaxel             ",
    "          scenetuner.com  \t",
    " \tscenetuner.com/trimbaxel\t",
    " _______________________________________ ",
    " ",
    "Hit the \"f\"-key to toggle fullscreen",
    "ESC to quit",
};

} // namespace

void PrintCredits() {
    for (const char* line : kCredits) {
        std::printf("%s\n", line);
        std::fflush(stdout);
    }
}
