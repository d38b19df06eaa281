// The camera track: where the camera stands at each moment of the show.
#pragma once

// Multiplies the look-at placement of the track row holding t onto the
// modelview matrix; leaves it alone when no row holds t.
void PlaceCamera(float t);
