// One frame of the show, seen through the recording layer: the clock, the
// camera placement chosen for it, the order of a frame and the end of the show.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "call_log.h"
#include "fake_media.h"
#include "show/camera_track.h"
#include "show/render_scene.h"
#include "host/frame_loop.h"
#include "show/show_clock.h"
#include "show/timeline.h"

namespace {

class ShowFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeMedia();
        ClearCallLog();
    }
};

std::vector<double> LookAtAt(float t) {
    ClearCallLog();
    PlaceCamera(t);
    const std::vector<LoggedCall> calls = CallsNamed("gluLookAt");
    if (calls.empty()) {
        return {};
    }
    EXPECT_EQ(calls.size(), 1u) << "more than one camera row applied at t = " << t;
    return calls.front().args;
}

std::vector<double> Placement(double ex, double ey, double ez, double cx, double cy, double cz) {
    return {ex, ey, ez, cx, cy, cz, 0, 1, 0};
}

TEST_F(ShowFrame, ClockRoundsTheTickCountOnceToSinglePrecision) {
    EXPECT_EQ(ShowClockFromTicks(0), 0.0f);
    EXPECT_EQ(ShowClockFromTicks(9000), 9.0f);
    EXPECT_EQ(ShowClockFromTicks(23000), 23.000002f);
    EXPECT_GT(ShowClockFromTicks(23000), 23.0f);
    EXPECT_EQ(ShowClockFromTicks(47000), 47.000004f);
    EXPECT_EQ(ShowClockFromTicks(107000), 107.000008f);
    EXPECT_GT(ShowClockFromTicks(107000), kShowEnd);
    EXPECT_LT(ShowClockFromTicks(106999), kShowEnd);
    // The largest tick count is taken as unsigned, never as a negative number.
    EXPECT_EQ(ShowClockFromTicks(4294967295u), 4294967.5f);
}

TEST_F(ShowFrame, CameraRowIsChosenByStrictWindows) {
    EXPECT_EQ(LookAtAt(0.0f), std::vector<double>{}) << "t = 0 lies in no window";
    EXPECT_EQ(LookAtAt(0.001f), Placement(0, 100, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(8.999f), Placement(0, 100, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(9.0f), std::vector<double>{}) << "9 s exactly: neither row 1 nor row 2";
    EXPECT_EQ(LookAtAt(9.001f), Placement(0, 10, 6, 0, 0, 0));
    EXPECT_EQ(LookAtAt(ShowClockFromTicks(47000)), Placement(-38, 10, 4, -38, 0, -3));
    EXPECT_EQ(LookAtAt(50.5f), Placement(-38, 10, 4, -38, 0, -3));
    EXPECT_EQ(LookAtAt(51.5f), Placement(-34, 10, 4, -34, 0, -3));
    EXPECT_EQ(LookAtAt(60.5f), Placement(11, 10, 4, 11, 0, -3));
    EXPECT_EQ(LookAtAt(62.5f), Placement(19, 10, 4, 19, 0, -3));
    EXPECT_EQ(LookAtAt(63.5f), Placement(24, 10, 4, 24, 0, -3));
    EXPECT_EQ(LookAtAt(64.0f), Placement(24, 10, 4, 24, 0, -3)) << "no row of its own for 64";
    EXPECT_EQ(LookAtAt(64.99f), Placement(24, 10, 4, 24, 0, -3));
    EXPECT_EQ(LookAtAt(65.0f), std::vector<double>{});
    EXPECT_EQ(LookAtAt(70.0f), Placement(0, 100, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(76.0f), Placement(0, 75, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(77.5f), std::vector<double>{});
    EXPECT_EQ(LookAtAt(78.0f), Placement(0, 50, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(81.0f), Placement(0, 25, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(84.0f), Placement(0, 50, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(85.0f), std::vector<double>{});
    EXPECT_EQ(LookAtAt(85.001f), Placement(0, 100, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(106.0f), Placement(0, 100, 2, 0, 0, 0));
    EXPECT_EQ(LookAtAt(1000.0f), Placement(0, 100, 2, 0, 0, 0));
}

TEST_F(ShowFrame, EveryWholeAndHalfSecondHasAtMostOneCameraRow) {
    for (int halfSeconds = 1; halfSeconds < 2 * 110; ++halfSeconds) {
        LookAtAt(halfSeconds * 0.5f + 0.25f); // fails inside on a second row
    }
}

TEST_F(ShowFrame, FrameClearsLoadsIdentityPlacesCameraThenSwaps) {
    fakeTicks = 2000;
    RenderScene();
    const std::vector<std::string> names =
        CallNames({"glBegin", "glEnd", "glColor3ub", "glVertex3f"});
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[0], "glClear");
    EXPECT_EQ(names[1], "glLoadIdentity");
    EXPECT_EQ(names[2], "gluLookAt");
    EXPECT_EQ(names.back(), "SDL_GL_SwapBuffers");
    EXPECT_EQ(CallsNamed("SDL_GL_SwapBuffers").size(), 1u);
    EXPECT_EQ(CallsNamed("glClear").at(0).args, std::vector<double>{0x4500});
}

TEST_F(ShowFrame, FrameWithNoCameraRowKeepsTheIdentityView) {
    fakeTicks = 9000;
    RenderScene();
    EXPECT_TRUE(CallsNamed("gluLookAt").empty());
    EXPECT_EQ(CallsNamed("glLoadIdentity").size(), 1u);
    EXPECT_EQ(CallsNamed("SDL_GL_SwapBuffers").size(), 1u);
}

TEST_F(ShowFrame, LastMillisecondOfTheShowIsStillPresented) {
    fakeTicks = 106999;
    RenderScene();
    EXPECT_EQ(CallsNamed("SDL_GL_SwapBuffers").size(), 1u);
    EXPECT_TRUE(CallsNamed("SDL_Quit").empty());
}

// The child process prints what it recorded, so that the parent can see
// the order of the ending after exit(0).
void RenderPastTheEndAndReport(Uint32 ticks) {
    fakeTicks = ticks;
    ClearCallLog();
    std::atexit([] {
        for (const std::string& name :
             CallNames({"glBegin", "glEnd", "glColor3ub", "glVertex3f"})) {
            std::fprintf(stderr, "%s ", name.c_str());
        }
        for (const LoggedCall& call : callLog) {
            if (call.name == "SDL_Delay" || call.name == "Mix_FadeOutMusic") {
                std::fprintf(stderr, "%s=%g ", call.name.c_str(), call.args.at(0));
            }
            if (call.name == "Mix_FadeOutChannel") {
                std::fprintf(stderr, "%s=%g,%g ", call.name.c_str(), call.args.at(0),
                             call.args.at(1));
            }
        }
    });
    RenderScene();
}

TEST_F(ShowFrame, EndOfShowFadesWaitsShutsDownAndIsNotPresented) {
    EXPECT_EXIT(RenderPastTheEndAndReport(107000), ::testing::ExitedWithCode(0),
                "^glClear glLoadIdentity gluLookAt Mix_FadeOutChannel Mix_FadeOutMusic SDL_Delay "
                "SDL_Quit Mix_FadeOutChannel=-1,1000 Mix_FadeOutMusic=1000 SDL_Delay=1000 $");
}

} // namespace
