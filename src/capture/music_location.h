// Where the capture finds the show's module when none is named: next to the
// program (the build directory), or in the installed data directory.
#pragma once

#include <string>

// The first of the places that holds demo.xm; throws std::runtime_error
// naming the places looked at when none does.
std::string DefaultMusicPath();
