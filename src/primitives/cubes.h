// Flat-coloured, axis-aligned cubes: the bricks of every banner and of the
// spinning cube group.
#pragma once

// Each draws one cube with its minimum corner at (x, y, z) and edge `size`,
// spanning x to x + size on every axis, in the current modelview space.
void DrawBlueCube(float x, float y, float z, int size);
void DrawCyanCube(float x, float y, float z, int size);
void DrawMagentaCube(float x, float y, float z, int size);

// Any one of the three, for callers that pick the colour.
using CubeFunction = void (*)(float x, float y, float z, int size);
