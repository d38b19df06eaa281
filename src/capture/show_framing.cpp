#include "capture/show_framing.h"

#include <GL/gl.h>

#include <cmath>

#include "show/view.h"

namespace {

// The show's own picture is 4:3.
constexpr int kShowAspectWide = kShowWidth;
constexpr int kShowAspectHigh = kShowHeight;
// At the show's own height the grid's lines are one pixel wide.
constexpr double kOneLinePixelHeight = kShowHeight;

// Radical inverse in base `base`: the Halton sequence, evenly spread for any count.
double Halton(int index, int base) {
    double result = 0;
    double fraction = 1.0 / base;
    for (int i = index; i > 0; i /= base) {
        result += fraction * (i % base);
        fraction /= base;
    }
    return result;
}

} // namespace

PictureBox FitPicture(int frameWidth, int frameHeight, bool fill) {
    if (fill) {
        return {0, 0, frameWidth, frameHeight};
    }
    const long long wide = static_cast<long long>(frameWidth) * kShowAspectHigh;
    const long long high = static_cast<long long>(frameHeight) * kShowAspectWide;
    if (wide >= high) { // wider than 4:3: bars at the sides
        const int width = static_cast<int>(
            std::lround(static_cast<double>(frameHeight) * kShowAspectWide / kShowAspectHigh));
        return {(frameWidth - width) / 2, 0, width, frameHeight};
    }
    const int height = static_cast<int>(
        std::lround(static_cast<double>(frameWidth) * kShowAspectHigh / kShowAspectWide));
    return {0, (frameHeight - height) / 2, frameWidth, height};
}

void SetUpShowView(PictureBox box, double jitterX, double jitterY) {
    SetUpViewAtSize(box.width, box.height);
    glViewport(box.x, box.y, box.width, box.height);
    if (jitterX != 0.0 || jitterY != 0.0) {
        // Shift the projected picture by whole clip-space units per pixel.
        GLdouble projection[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glTranslated(2.0 * jitterX / box.width, 2.0 * jitterY / box.height, 0.0);
        glMultMatrixd(projection);
        glMatrixMode(GL_MODELVIEW);
    }
    glLineWidth(static_cast<GLfloat>(box.height / kOneLinePixelHeight));
}

void PassJitter(int pass, int passes, double& x, double& y) {
    if (passes <= 1) {
        x = y = 0;
        return;
    }
    x = Halton(pass + 1, 2) - 0.5;
    y = Halton(pass + 1, 3) - 0.5;
}
