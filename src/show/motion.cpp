#include "show/motion.h"

#include <GL/gl.h>

#include "primitives/cubes.h"
#include "primitives/grid.h"
#include "primitives/spiral.h"

float rotX;
float rotY;
float rotZ;

namespace {

// Per frame, not per second: the turns run faster on a faster machine.
constexpr float kSlowStep = 0.03f;
constexpr float kFastStep = 0.08f;

constexpr int kGroupCubeSize = 2;
constexpr float kGroupCubeCorner = -1.0f; // centres the blue cube on the origin
constexpr int kSmallCubeSize = 1;

struct SmallCube {
    void (*draw)(float, float, float, int);
    float x, y, z;
};

// The cyan cube sits inside the blue one and, with no depth test, shows
// through it; the magenta ones stand off its four vertical edges.
constexpr SmallCube kInnerAndCornerCubes[] = {
    {DrawCyanCube, -0.5f, -0.5f, -0.5f},   {DrawMagentaCube, 1.0f, -0.5f, -2.0f},
    {DrawMagentaCube, 1.0f, -0.5f, 1.0f},  {DrawMagentaCube, -2.0f, -0.5f, -2.0f},
    {DrawMagentaCube, -2.0f, -0.5f, 1.0f},
};

} // namespace

void SpinCube() {
    glRotatef(rotX, 1.0f, 0.0f, 0.0f);
    glRotatef(rotY, 0.0f, 1.0f, 0.0f);
    glRotatef(rotZ, 0.0f, 0.0f, 1.0f);
    DrawBlueCube(kGroupCubeCorner, kGroupCubeCorner, kGroupCubeCorner, kGroupCubeSize);
    AdvanceSpin();
}

void AdvanceSpin() {
    rotX += kSlowStep;
    rotY += kSlowStep;
    rotZ += kFastStep;
}

void DrawInnerAndCornerCubes() {
    for (const SmallCube& cube : kInnerAndCornerCubes) {
        cube.draw(cube.x, cube.y, cube.z, kSmallCubeSize);
    }
}

void DrawGround() {
    DrawGrid();
}

void ResetTilt() {
    rotX = 0.0f;
    rotZ = 0.0f;
}

void ReverseSpin() {
    rotY -= kFastStep;
}

void TurnSpiral() {
    glRotatef(rotY, 0.0f, 1.0f, 0.0f);
    DrawPyramidSpiral();
    AdvanceSpiral();
}

void AdvanceSpiral() {
    rotY += kSlowStep;
}

Turns SaveTurns() {
    return {rotX, rotY, rotZ};
}

void RestoreTurns(Turns turns) {
    rotX = turns.x;
    rotY = turns.y;
    rotZ = turns.z;
}
