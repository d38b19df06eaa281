#include "primitives/grid.h"

#include <GL/gl.h>

#include "primitives/colours.h"

namespace {

constexpr float kGridEdge = 50.0f; // the grid covers -50..50 on x and z
constexpr float kLineSpacing = 1.0f;
constexpr float kGroundY = 0.0f;

} // namespace

void DrawGrid() {
    // One colour call serves every line.
    glColor3ub(kGreen.red, kGreen.green, kGreen.blue);
    for (float v = -kGridEdge; v <= kGridEdge; v += kLineSpacing) {
        glBegin(GL_LINES);
        glVertex3f(-kGridEdge, kGroundY, v); // parallel to x, at z = v
        glVertex3f(kGridEdge, kGroundY, v);
        glVertex3f(v, kGroundY, -kGridEdge); // parallel to z, at x = v
        glVertex3f(v, kGroundY, kGridEdge);
        glEnd();
    }
}
