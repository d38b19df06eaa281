// Flat-coloured, axis-aligned cubes: the bricks of every banner and of the
// spinning cube group.
#pragma once

// Each draws one cube with its minimum corner at (x, y, z) and edge `size`,
// spanning x to x + size on every axis, in the current modelview space.
void CreateCube(float x, float y, float z, int size);  // blue
void CreateCube1(float x, float y, float z, int size); // cyan
void CreateCube2(float x, float y, float z, int size); // magenta

// Any one of the three, for callers that pick the colour.
using CubeFunction = void (*)(float x, float y, float z, int size);
