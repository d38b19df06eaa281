// The pyramid spiral: 97 pyramids on an inward spiral of three turns in the
// ground plane, from radius 40 down to the centre.
#pragma once

void DrawPyramidSpiral();
