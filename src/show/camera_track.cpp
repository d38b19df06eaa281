#include "show/camera_track.h"

#include <GL/glu.h>

#include "show/show_window.h"

namespace {

struct CameraRow {
    ShowWindow window;
    double eyeX, eyeY, eyeZ;
    double centreX, centreY, centreZ;
};

// Rows 47-65 s follow the address banner along x as it is typed, one row per
// glyph; the x values are picked by eye, not computed from the glyphs.
constexpr CameraRow kCameraTrack[] = {
    // window          eye                 centre
    {{0, 9}, 0, 100, 2, 0, 0, 0},       // top view of the opening banner
    {{9, 47}, 0, 10, 6, 0, 0, 0},       // close view of the spinning cubes
    {{47, 51}, -38, 10, 4, -38, 0, -3}, // along the address banner
    {{51, 52}, -34, 10, 4, -34, 0, -3},
    {{52, 53}, -29, 10, 4, -29, 0, -3},
    {{53, 54}, -24, 10, 4, -24, 0, -3},
    {{54, 55}, -18, 10, 4, -18, 0, -3},
    {{55, 56}, -13, 10, 4, -13, 0, -3},
    {{56, 57}, -8, 10, 4, -8, 0, -3},
    {{57, 58}, -2, 10, 4, -2, 0, -3},
    {{58, 59}, 3, 10, 4, 3, 0, -3},
    {{59, 60}, 8, 10, 4, 8, 0, -3},
    {{60, 61}, 11, 10, 4, 11, 0, -3},
    {{61, 62}, 14, 10, 4, 14, 0, -3},
    {{62, 63}, 19, 10, 4, 19, 0, -3},
    {{63, 65}, 24, 10, 4, 24, 0, -3},
    {{65, 75}, 0, 100, 2, 0, 0, 0},  // top view of the finished address
    {{75, 77.5}, 0, 75, 2, 0, 0, 0}, // sinking over the spiral...
    {{77.5, 80}, 0, 50, 2, 0, 0, 0},
    {{80, 82.5}, 0, 25, 2, 0, 0, 0},
    {{82.5, 85}, 0, 50, 2, 0, 0, 0},      // ...and rising again
    {{85, kForever}, 0, 100, 2, 0, 0, 0}, // top view to the end
};

constexpr double kUpX = 0, kUpY = 1, kUpZ = 0;

} // namespace

void PlaceCamera(float t) {
    for (const CameraRow& row : kCameraTrack) {
        if (IsActive(row.window, t)) {
            gluLookAt(row.eyeX, row.eyeY, row.eyeZ, row.centreX, row.centreY, row.centreZ, kUpX,
                      kUpY, kUpZ);
            return;
        }
    }
}
