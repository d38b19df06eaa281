#include "show/view.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 150.0;

} // namespace

void SizeView(int width, int height) {
    if (height == 0) {
        height = 1; // a minimised window must not divide by zero
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(height),
                   kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SetUpViewAtSize(int width, int height) {
    SizeView(width, height);
    glEnable(GL_TEXTURE_2D);
}

void SetUpView() {
    SetUpViewAtSize(kShowWidth, kShowHeight);
}
