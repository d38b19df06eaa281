// A four-sided pyramid, open underneath: yellow apex, white and red base corners.
#pragma once

// Apex at (x, y + halfHeight, z); square base of edge 2 * halfWidth centred
// under it at y - halfHeight. The base itself is not drawn.
void DrawPyramid(float x, float y, float z, int halfWidth, int halfHeight);
