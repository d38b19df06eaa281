#include "primitives/pyramid.h"

#include <GL/gl.h>

#include "primitives/colours.h"

namespace {

// A point of the pyramid as steps from its middle: -1, 0 or +1 times the
// half width on x and z, times the half height on y.
struct PyramidPoint {
    int stepX, stepY, stepZ;
    Rgb colour;
};

constexpr PyramidPoint kApex = {0, +1, 0, kYellow};
// White on one diagonal of the base, red on the other.
constexpr PyramidPoint kMinusMinus = {-1, -1, -1, kWhite};
constexpr PyramidPoint kPlusMinus = {+1, -1, -1, kRed};
constexpr PyramidPoint kPlusPlus = {+1, -1, +1, kWhite};
constexpr PyramidPoint kMinusPlus = {-1, -1, +1, kRed};

// The four sides, painted in this order: z - w, z + w, x - w, x + w.
constexpr PyramidPoint kPyramidTriangles[] = {
    kApex, kMinusMinus, kPlusMinus,  // z - w side
    kApex, kPlusPlus,   kMinusPlus,  // z + w side
    kApex, kMinusPlus,  kMinusMinus, // x - w side
    kApex, kPlusMinus,  kPlusPlus,   // x + w side
};

// The parameter itself for a zero step, else the single-precision sum or
// difference with the extent.
float Offset(float value, int step, int extent) {
    if (step == 0) {
        return value;
    }
    const float amount = static_cast<float>(extent);
    return step > 0 ? value + amount : value - amount;
}

} // namespace

void DrawPyramid(float x, float y, float z, int halfWidth, int halfHeight) {
    glBegin(GL_TRIANGLES);
    for (const PyramidPoint& point : kPyramidTriangles) {
        glColor3ub(point.colour.red, point.colour.green, point.colour.blue);
        glVertex3f(Offset(x, point.stepX, halfWidth), Offset(y, point.stepY, halfHeight),
                   Offset(z, point.stepZ, halfWidth));
    }
    glEnd();
}
