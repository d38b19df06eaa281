// The spinning cube group, its reset and reversal, and the turning spiral:
// the only state the show carries from one frame to the next.
#pragma once

// Accumulated turns in degrees, advanced by fixed steps per frame.
extern float rotX;
extern float rotY;
extern float rotZ;

void SpinCube();                // turn, draw the blue cube, advance the angles
void DrawInnerAndCornerCubes(); // under the spin of SpinCube
void DrawGround();              // the grid, under whatever turn stands
void ResetTilt();               // X and Z back to 0, once the spin has used them
void ReverseSpin();             // Y turns back faster than SpinCube advances it
void TurnSpiral();              // the pyramid spiral about the vertical axis

// The angle updates alone, as SpinCube and TurnSpiral make them after drawing:
// the same single-precision steps in the same order.
void AdvanceSpin();
void AdvanceSpiral();

// The three turns together, to put back after a frame drawn more than once.
struct Turns {
    float x, y, z;
};
Turns SaveTurns();
void RestoreTurns(Turns turns);
