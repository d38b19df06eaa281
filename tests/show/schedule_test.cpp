// The schedule and the motion through the recording layer: which entries run
// at a clock value, in which order, and how the turns carry from frame to frame.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>

#include "call_log.h"
#include "fake_media.h"
#include "primitives/cubes.h"
#include "primitives/grid.h"
#include "primitives/spiral.h"
#include "show/banners.h"
#include "show/camera_track.h"
#include "show/motion.h"
#include "show/render_scene.h"
#include "show/schedule.h"
#include "host/frame_loop.h"
#include "show/show_clock.h"
#include "show/timeline.h"

namespace {

class Schedule : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeMedia();
        ClearCallLog();
        rotX = rotY = rotZ = 0.0f;
    }
};

using Calls = std::vector<LoggedCall>;

Calls Recorded(const std::function<void()>& draw) {
    ClearCallLog();
    draw();
    Calls calls = callLog;
    ClearCallLog();
    return calls;
}

// What the schedule draws at t, the clear and the camera left out.
Calls ScheduledAt(float t) {
    return Recorded([t] { RunSchedule(t); });
}

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Calls Slots(int first, int last) {
    return Recorded([=] {
        for (int slot = first; slot <= last; ++slot) {
            DrawAddressSlot(slot);
        }
    });
}

Calls Rotation(float angle, float x, float y, float z) {
    return {{"glRotatef", {angle, x, y, z}}};
}

bool SameCalls(const Calls& a, const Calls& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].args != b[i].args) {
            return false;
        }
    }
    return true;
}

#define EXPECT_SCHEDULE(t, expected)                                                               \
    EXPECT_TRUE(SameCalls(ScheduledAt(t), (expected))) << "at t = " << (t)

TEST_F(Schedule, OpeningActDrawsTheBannerThenTheGrid) {
    const Calls banner = Recorded(DrawOpeningBanner);
    const Calls grid = Recorded(DrawGrid);
    EXPECT_SCHEDULE(0.0f, Calls{});
    EXPECT_SCHEDULE(2.0f, banner);
    EXPECT_SCHEDULE(5.0f, banner) << "the grid joins only after 5 s";
    EXPECT_SCHEDULE(7.0f, Join({banner, grid})) << "banner first, grid over it";
    EXPECT_SCHEDULE(9.0f, grid) << "9 s exactly: neither banner nor cube";
}

TEST_F(Schedule, SpinningGroupTurnsEverythingAfterIt) {
    rotX = 1.5f;
    rotY = 2.5f;
    rotZ = 4.0f;
    const Calls turned =
        Join({Rotation(1.5f, 1, 0, 0), Rotation(2.5f, 0, 1, 0), Rotation(4.0f, 0, 0, 1),
              Recorded([] { DrawBlueCube(-1, -1, -1, 2); })});
    const Calls inner = Recorded([] {
        DrawCyanCube(-0.5f, -0.5f, -0.5f, 1);
        DrawMagentaCube(1, -0.5f, -2, 1);
        DrawMagentaCube(1, -0.5f, 1, 1);
        DrawMagentaCube(-2, -0.5f, -2, 1);
        DrawMagentaCube(-2, -0.5f, 1, 1);
    });
    const Calls grid = Recorded(DrawGrid);
    EXPECT_SCHEDULE(20.0f, Join({turned, grid}));
    rotX = 1.5f;
    rotY = 2.5f;
    rotZ = 4.0f;
    EXPECT_SCHEDULE(ShowClockFromTicks(23000), Join({turned, inner, grid}))
        << "23 000 ms reads just past 23 s: the inner cubes are there";
    rotX = 1.5f;
    rotY = 2.5f;
    rotZ = 4.0f;
    EXPECT_SCHEDULE(30.0f, Join({turned, inner, grid}));
}

TEST_F(Schedule, AddressIsTypedOneGlyphASecondOverTheGridThenStandsAlone) {
    const Calls grid = Recorded(DrawGrid);
    EXPECT_SCHEDULE(48.0f, grid);
    EXPECT_SCHEDULE(50.0f, grid);
    EXPECT_SCHEDULE(50.5f, Join({grid, Slots(0, 0)}));
    EXPECT_SCHEDULE(55.5f, Join({grid, Slots(0, 5)}));
    EXPECT_SCHEDULE(63.5f, Join({grid, Slots(0, 13)}));
    EXPECT_SCHEDULE(66.0f, Slots(0, 13)) << "from 65 s without the grid";
    EXPECT_SCHEDULE(71.99f, Slots(0, 13));
    EXPECT_SCHEDULE(72.0f, Calls{});
}

TEST_F(Schedule, SpiralTurnsAloneThenGreetingsAndEndTitleFollow) {
    rotY = 12.0f;
    EXPECT_SCHEDULE(80.0f, Join({Rotation(12.0f, 0, 1, 0), Recorded(DrawPyramidSpiral)}));
    EXPECT_SCHEDULE(90.0f, Calls{});
    const Calls greetings = Recorded(DrawGreetings);
    const Calls first = Recorded(DrawFirstGreetedName);
    const Calls second = Recorded(DrawSecondGreetedName);
    EXPECT_SCHEDULE(91.0f, greetings);
    EXPECT_SCHEDULE(92.5f, Join({greetings, first}));
    EXPECT_SCHEDULE(94.5f, Join({greetings, first, second}));
    EXPECT_SCHEDULE(100.0f, Calls{}) << "100 s exactly: between greetings and end title";
    EXPECT_SCHEDULE(100.5f, Recorded(DrawEndTitle));
    EXPECT_SCHEDULE(106.9f, Recorded(DrawEndTitle));
}

// Drives whole frames through RenderScene at the given tick counts and
// returns every glRotatef of the last one.
Calls RotationsOfFrameAt(Uint32 ticks) {
    fakeTicks = ticks;
    ClearCallLog();
    RenderScene();
    return CallsNamed("glRotatef");
}

TEST_F(Schedule, AnglesStandStillAtNineSecondsAndAdvancePerFrameFromThen) {
    EXPECT_TRUE(RotationsOfFrameAt(9000).empty());
    EXPECT_EQ(rotX, 0.0f);
    EXPECT_EQ(rotY, 0.0f);
    EXPECT_EQ(rotZ, 0.0f);

    const Calls first = RotationsOfFrameAt(9001);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].args, (std::vector<double>{0, 1, 0, 0})) << "drawn before the angles move";
    EXPECT_EQ(first[1].args, (std::vector<double>{0, 0, 1, 0}));
    EXPECT_EQ(first[2].args, (std::vector<double>{0, 0, 0, 1}));

    float x = 0.03f, y = 0.03f, z = 0.08f; // after the first frame
    for (Uint32 ticks = 9002; ticks < 9200; ++ticks) {
        const Calls turns = RotationsOfFrameAt(ticks);
        ASSERT_EQ(turns.size(), 3u);
        ASSERT_EQ(turns[0].args.at(0), x) << "frame at " << ticks << " ms";
        ASSERT_EQ(turns[1].args.at(0), y);
        ASSERT_EQ(turns[2].args.at(0), z);
        x += 0.03f; // single precision, stored back every frame
        y += 0.03f;
        z += 0.08f;
    }
    EXPECT_EQ(rotX, x);
    EXPECT_EQ(rotZ, z);
}

TEST_F(Schedule, SpinIsResetAndReversedFromThirtyFiveSeconds) {
    rotX = 40.0f;
    rotY = 50.0f;
    rotZ = 60.0f;
    Calls turns = RotationsOfFrameAt(35000);
    ASSERT_EQ(turns.size(), 3u);
    EXPECT_EQ(turns[0].args.at(0), 40.0f) << "35 s exactly: the reset has not begun";

    turns = RotationsOfFrameAt(35001);
    EXPECT_EQ(turns[0].args.at(0), 40.03f) << "the first frame after 35 s is still tilted";
    EXPECT_EQ(turns[2].args.at(0), 60.08f);
    EXPECT_EQ(rotX, 0.0f);
    EXPECT_EQ(rotZ, 0.0f);

    float y = rotY;
    for (Uint32 ticks = 35002; ticks < 35300; ++ticks) {
        turns = RotationsOfFrameAt(ticks);
        ASSERT_EQ(turns.size(), 3u);
        ASSERT_EQ(turns[0].args.at(0), 0.0) << "upright from the second frame on";
        ASSERT_EQ(turns[1].args.at(0), y);
        ASSERT_EQ(turns[2].args.at(0), 0.0);
        y = (y + 0.03f) - 0.08f;
        ASSERT_EQ(rotY, y) << "Y falls by 0.08 - 0.03 a frame, in single precision";
    }
    EXPECT_LT(rotY, 50.0f - 0.05f * 290);
}

TEST_F(Schedule, SpiralStartsFromTheTurnTheFirstActLeftAndNothingTurnsAfterNinety) {
    rotY = 17.25f;
    rotX = 0.0f;
    rotZ = 0.0f;
    RotationsOfFrameAt(60000);
    RotationsOfFrameAt(71999);
    EXPECT_EQ(rotY, 17.25f) << "held from 47 s to 72 s";

    Calls turns = RotationsOfFrameAt(72001);
    ASSERT_EQ(turns.size(), 1u);
    EXPECT_EQ(turns[0].args, (std::vector<double>{17.25f, 0, 1, 0}));
    EXPECT_EQ(rotY, 17.25f + 0.03f);

    const float atNinety = rotY;
    for (Uint32 ticks : {90000u, 90001u, 95000u, 101000u, 106999u}) {
        EXPECT_TRUE(RotationsOfFrameAt(ticks).empty()) << ticks << " ms";
    }
    EXPECT_EQ(rotY, atNinety);
    EXPECT_EQ(rotX, 0.0f);
}

TEST_F(Schedule, GridTurnsWithTheCubeGroupOnlyWhileItSpins) {
    RotationsOfFrameAt(20000);
    std::vector<std::string> names = CallNames({"glColor3ub", "glVertex3f", "glBegin", "glEnd"});
    // clear, identity, camera, three turns: the grid comes after the turns.
    EXPECT_EQ(names,
              (std::vector<std::string>{"glClear", "glLoadIdentity", "gluLookAt", "glRotatef",
                                        "glRotatef", "glRotatef", "SDL_GL_SwapBuffers"}));
    RotationsOfFrameAt(48000);
    EXPECT_TRUE(CallsNamed("glRotatef").empty());
}

} // namespace
