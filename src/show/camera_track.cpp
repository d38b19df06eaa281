#include "show/camera_track.h"

#include <GL/glu.h>

#include "show/time_span.h"
#include "show/timeline.h"

namespace {

struct CameraRow {
    TimeSpan span;
    double eyeX, eyeY, eyeZ;
    double centreX, centreY, centreZ;
};

// While the address is typed the camera follows it along x, one row per
// glyph; the x values are picked by eye, not computed from the glyphs.
constexpr float kSpinStart = ActStart(kSpinAct);
constexpr float kAddressStart = ActStart(kAddressAct);

constexpr float DiveStep(int step) {
    return kSpiralDive + kSpiralDiveStep * static_cast<float>(step);
}

// clang-format off
constexpr CameraRow kCameraTrack[] = {
    // span                                  eye            centre
    {{ActStart(kOpeningAct), kSpinStart},    0, 100, 2,     0, 0, 0},  // top view of the opening banner
    {{kSpinStart, kAddressStart},            0, 10, 6,      0, 0, 0},  // close view of the spinning cubes
    {{kAddressStart, GlyphTyped(1)},         -38, 10, 4,    -38, 0, -3}, // along the address banner
    {{GlyphTyped(1), GlyphTyped(2)},         -34, 10, 4,    -34, 0, -3},
    {{GlyphTyped(2), GlyphTyped(3)},         -29, 10, 4,    -29, 0, -3},
    {{GlyphTyped(3), GlyphTyped(4)},         -24, 10, 4,    -24, 0, -3},
    {{GlyphTyped(4), GlyphTyped(5)},         -18, 10, 4,    -18, 0, -3},
    {{GlyphTyped(5), GlyphTyped(6)},         -13, 10, 4,    -13, 0, -3},
    {{GlyphTyped(6), GlyphTyped(7)},         -8, 10, 4,     -8, 0, -3},
    {{GlyphTyped(7), GlyphTyped(8)},         -2, 10, 4,     -2, 0, -3},
    {{GlyphTyped(8), GlyphTyped(9)},         3, 10, 4,      3, 0, -3},
    {{GlyphTyped(9), GlyphTyped(10)},        8, 10, 4,      8, 0, -3},
    {{GlyphTyped(10), GlyphTyped(11)},       11, 10, 4,     11, 0, -3},
    {{GlyphTyped(11), GlyphTyped(12)},       14, 10, 4,     14, 0, -3},
    {{GlyphTyped(12), GlyphTyped(13)},       19, 10, 4,     19, 0, -3},
    {{GlyphTyped(13), kAddressTopView},      24, 10, 4,     24, 0, -3},
    {{kAddressTopView, DiveStep(0)},         0, 100, 2,     0, 0, 0},  // top view of the finished address
    {{DiveStep(0), DiveStep(1)},             0, 75, 2,      0, 0, 0},  // sinking over the spiral...
    {{DiveStep(1), DiveStep(2)},             0, 50, 2,      0, 0, 0},
    {{DiveStep(2), DiveStep(3)},             0, 25, 2,      0, 0, 0},
    {{DiveStep(3), DiveStep(4)},             0, 50, 2,      0, 0, 0},  // ...and rising again
    {{DiveStep(4), kForever},                0, 100, 2,     0, 0, 0},  // top view to the end
};
// clang-format on

constexpr double kUpX = 0, kUpY = 1, kUpZ = 0;

} // namespace

void PlaceCamera(float t) {
    for (const CameraRow& row : kCameraTrack) {
        if (IsActive(row.span, t)) {
            gluLookAt(row.eyeX, row.eyeY, row.eyeZ, row.centreX, row.centreY, row.centreZ, kUpX,
                      kUpY, kUpZ);
            return;
        }
    }
}
