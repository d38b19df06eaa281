// Whether a frame would draw exactly what the previous one drew. Half the
// show stands still (the opening banner, the typed address, the greetings,
// the end title, the held end): there a frame's GL calls, with all their
// arguments, repeat those of the frame before, and on a deterministic
// renderer the same calls on the same state give the same pixels. The
// capture runs the frame's code once with these calls recorded instead of
// drawn, and draws only when the record differs.
//
// The show's GL and GLU calls reach this file through the linker's --wrap
// (see CMakeLists.txt); kFingerprintedCalls lists them, and a test checks
// that the show calls no other.
#pragma once

#include <vector>

constexpr const char* kFingerprintedCalls[] = {
    "glBegin",        "glClear",   "glColor3ub", "glEnd",
    "glLoadIdentity", "glRotatef", "glVertex3f", "gluLookAt",
};

class FrameFingerprint {
  public:
    // Runs `draw` with the show's GL calls recorded and not drawn. True when
    // the record equals the one from the previous call.
    template <typename Draw> bool SameAsBefore(Draw draw) {
        Begin();
        draw();
        return End();
    }

  private:
    void Begin();
    bool End();

    std::vector<double> previous_;
    bool hasPrevious_ = false;
};
