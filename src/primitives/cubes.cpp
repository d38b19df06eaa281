#include "primitives/cubes.h"

#include <GL/gl.h>

#include "primitives/colours.h"

namespace {

// Which corner each vertex takes on each axis: 0 the near coordinate,
// 1 the near coordinate plus the size. Opposite faces list their corners in
// the same in-plane order.
struct CubeCorner {
    bool farX, farY, farZ;
};

constexpr CubeCorner kCubeQuads[] = {
    {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, // near z face
    {0, 0, 1}, {0, 1, 1}, {1, 1, 1}, {1, 0, 1}, // far z face
    {0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}, // bottom face
    {0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}, // top face
    {0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}, // near x face
    {1, 0, 0}, {1, 0, 1}, {1, 1, 1}, {1, 1, 0}, // far x face
};

void DrawCube(float x, float y, float z, int size, Rgb colour) {
    // Far coordinates are float sums, rounded to single precision; the near
    // ones pass through untouched.
    const float edge = static_cast<float>(size);
    glBegin(GL_QUADS);
    for (const CubeCorner& corner : kCubeQuads) {
        // The colour goes with every vertex, not once per cube.
        glColor3ub(colour.red, colour.green, colour.blue);
        glVertex3f(corner.farX ? x + edge : x, corner.farY ? y + edge : y,
                   corner.farZ ? z + edge : z);
    }
    glEnd();
}

} // namespace

void DrawBlueCube(float x, float y, float z, int size) {
    DrawCube(x, y, z, size, kBlue);
}

void DrawCyanCube(float x, float y, float z, int size) {
    DrawCube(x, y, z, size, kCyan);
}

void DrawMagentaCube(float x, float y, float z, int size) {
    DrawCube(x, y, z, size, kMagenta);
}
