#include "primitives/spiral.h"

#include <math.h>

#include "primitives/pyramid.h"

namespace {

// The angles rest on 3.14159, not on pi to full precision.
constexpr double kRoughPi = 3.14159;

constexpr float kStartAngle = 0.0f;
constexpr float kStartRadius = 40.0f;
constexpr float kAngleLimit = static_cast<float>(6 * kRoughPi); // three turns
constexpr float kAngleStep = static_cast<float>(kRoughPi / 16); // 32 pyramids a turn
constexpr float kRadiusStep = kStartRadius / 96;                // 96 steps to the centre

// Each pyramid stands on the ground plane with its apex 6 up, on a 2 x 2 base.
constexpr float kPyramidY = 3.0f;
constexpr int kPyramidHalfWidth = 1;
constexpr int kPyramidHalfHeight = 3;

} // namespace

void DrawPyramidSpiral() {
    // Both accumulate in single precision, stored back after every step: this
    // is what lets a 97th pyramid in, just under the angle limit, at the centre.
    float angle = kStartAngle;
    float radius = kStartRadius;
    while (angle < kAngleLimit) {
        const float x = cosf(angle) * radius;
        const float z = sinf(angle) * radius;
        DrawPyramid(x, kPyramidY, z, kPyramidHalfWidth, kPyramidHalfHeight);
        radius -= kRadiusStep;
        angle += kAngleStep;
    }
}
