// The soundtrack: a song in A minor at 120 beats a minute whose sections follow the
// show's acts, written as phrases and pattern plans in song.cpp.
#pragma once

#include "xm_module.h"

// The whole module, instruments included. Throws std::runtime_error when
// the written song does not add up (see ArrangePatterns).
XmModule BuildSong();
