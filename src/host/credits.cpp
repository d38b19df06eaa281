#include "host/credits.h"

#include <cstdio>

// The group's address is also the one the show types out in cubes.
const char* const kCredits[] = {
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
const int kCreditLineCount = sizeof kCredits / sizeof kCredits[0];

void PrintCredits() {
    for (int line = 0; line < kCreditLineCount; ++line) {
        std::printf("%s\n", kCredits[line]);
        std::fflush(stdout);
    }
}
