// The show played at a steady live rate and sampled at another: the motion of
// skipped live frames runs without drawing, and the turns land where a live
// run at that rate has them.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "call_log.h"
#include "fake_media.h"
#include "show/live_pace.h"
#include "show/motion.h"
#include "show/render_scene.h"
#include "show/schedule.h"

namespace {

class LiveMotion : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeMedia();
        ClearCallLog();
        RestoreTurns({0, 0, 0});
    }
};

void ExpectSameTurns(Turns a, Turns b, const char* what, double t) {
    ASSERT_EQ(a.x, b.x) << what << " at t = " << t;
    ASSERT_EQ(a.y, b.y) << what << " at t = " << t;
    ASSERT_EQ(a.z, b.z) << what << " at t = " << t;
}

// The turns before each of `frames` live frames drawn at `rate` frames a
// second, every frame drawn in full, as the live frame loop does.
std::vector<Turns> LiveRun(std::int64_t rate, std::int64_t frames) {
    const LivePace clocks(rate, 1);
    std::vector<Turns> before;
    RestoreTurns({0, 0, 0});
    for (std::int64_t j = 0; j < frames; ++j) {
        before.push_back(SaveTurns());
        DrawShowFrame(clocks.FrameClock(j));
        ClearCallLog();
    }
    RestoreTurns({0, 0, 0});
    return before;
}

TEST_F(LiveMotion, MotionAloneMovesTheTurnsAsADrawnFrameAndDrawsNothing) {
    // Across every window bound the turns care about, from odd starting turns.
    for (float t : {0.5f, 9.0f, 9.001f, 23.5f, 34.999f, 35.0f, 35.001f, 46.99f, 47.0f, 60.0f, 72.0f,
                    72.001f, 89.99f, 90.0f, 95.0f, 106.0f}) {
        const Turns start{1.25f, -7.5f, 33.0f};
        RestoreTurns(start);
        RunSchedule(t);
        const Turns drawn = SaveTurns();
        RestoreTurns(start);
        ClearCallLog();
        RunScheduleMotion(t);
        EXPECT_TRUE(callLog.empty()) << "motion alone made GL calls at t = " << t;
        ExpectSameTurns(SaveTurns(), drawn, "motion alone", t);
    }
}

TEST_F(LiveMotion, SamplingAtTheLiveRateIsTheLiveRunFrameForFrame) {
    // 60 samples a second at a live rate of 60: sample k lands on live frame k.
    constexpr std::int64_t kRate = 60;
    constexpr std::int64_t kFrames = 91 * kRate; // through the spin, its reversal and the spiral
    const std::vector<Turns> live = LiveRun(kRate, kFrames);
    LivePace pace(kRate, 1);
    for (std::int64_t k = 0; k < kFrames; ++k) {
        const float t = pace.Seek(2 * k + 1, 2 * kRate); // the middle of sample k
        ASSERT_EQ(t, pace.FrameClock(k)) << "sample " << k;
        ExpectSameTurns(SaveTurns(), live[k], "sampled at the live rate", t);
        const Turns before = SaveTurns();
        DrawShowFrame(t);
        ClearCallLog();
        RestoreTurns(before);
    }
}

TEST_F(LiveMotion, SamplingBelowTheLiveRateSkipsFramesButNotTheirMotion) {
    // A 30000/1001 video of a show running live at 300 frames a second.
    constexpr std::int64_t kLiveRate = 300;
    const std::vector<Turns> live = LiveRun(kLiveRate, 91 * kLiveRate);
    LivePace pace(kLiveRate, 1);
    int drawn = 0;
    for (std::int64_t k = 0;; ++k) {
        const std::int64_t num = (2 * k + 1) * 1001, den = 2 * 30000;
        const std::int64_t j = pace.LatestFrameAt(num, den);
        if (j >= static_cast<std::int64_t>(live.size())) {
            break;
        }
        const float t = pace.Seek(num, den);
        ASSERT_EQ(t, pace.FrameClock(j));
        ASSERT_LE(static_cast<double>(t), static_cast<double>(num) / den + 1e-6);
        ExpectSameTurns(SaveTurns(), live[j], "sampled at 29.97 a second", t);
        const Turns before = SaveTurns();
        DrawShowFrame(t);
        ClearCallLog();
        RestoreTurns(before);
        ++drawn;
    }
    EXPECT_GT(drawn, 90 * 29);
    EXPECT_NE(live.back().y, 0.0f) << "the spiral turned";
}

TEST_F(LiveMotion, SamplingAboveTheLiveRateRepeatsAFrameWithTheSameTurns) {
    LivePace pace(30, 1);
    std::vector<float> clocks;
    std::vector<Turns> turns;
    for (std::int64_t k = 0; k < 240 * 20; ++k) { // 20 s at 240 samples a second
        const float t = pace.Seek(2 * k + 1, 2 * 240);
        clocks.push_back(t);
        turns.push_back(SaveTurns());
        const Turns before = SaveTurns();
        DrawShowFrame(t);
        ClearCallLog();
        RestoreTurns(before);
    }
    EXPECT_EQ(clocks[0], pace.FrameClock(0)) << "before the first live frame: the first one";
    for (size_t k = 1; k < clocks.size(); ++k) {
        ASSERT_GE(clocks[k], clocks[k - 1]);
        if (clocks[k] == clocks[k - 1]) {
            ExpectSameTurns(turns[k], turns[k - 1], "a repeated live frame", clocks[k]);
        }
    }
    const std::vector<Turns> live = LiveRun(30, 20 * 30);
    ExpectSameTurns(turns.back(), live.back(), "the last live frame", clocks.back());
}

TEST_F(LiveMotion, FramesAndClocksFollowTheRateExactly) {
    const LivePace pace(300, 1);
    EXPECT_EQ(pace.LatestFrameAt(0, 1), -1);
    EXPECT_EQ(pace.LatestFrameAt(1, 600), 0) << "live frame 0 sits at 1/600 s";
    EXPECT_EQ(pace.LatestFrameAt(1, 601), -1);
    EXPECT_EQ(pace.LatestFrameAt(107, 1), 32099);
    EXPECT_EQ(pace.FrameClock(10499), 35.0f - 1.0f / 600)
        << "a bound is never a live frame's clock";
    const LivePace ntsc(30000, 1001);
    EXPECT_EQ(ntsc.LatestFrameAt(1001 * 2000001LL, 60000), 1000000)
        << "no drift over a million frames";
}

} // namespace
