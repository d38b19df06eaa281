// The capture's command line, its timeline and its framing, without a renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "capture/capture_options.h"
#include "capture/capture_output.h"
#include "capture/capture_timeline.h"
#include "capture/show_framing.h"
#include "show/show_clock.h"

namespace {

CaptureOptions Parse(std::vector<std::string> words) {
    std::vector<char*> argv = {const_cast<char*>("tromvisk-capture")};
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    return ParseCaptureOptions(static_cast<int>(argv.size()), argv.data());
}

std::string UsageMessage(std::vector<std::string> words) {
    try {
        Parse(std::move(words));
    } catch (const UsageError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(CaptureOptions, DefaultsAndEveryOption) {
    const CaptureOptions plain = Parse({"show.mp4"});
    EXPECT_EQ(plain.output, "show.mp4");
    EXPECT_EQ(plain.width, 1920);
    EXPECT_EQ(plain.height, 1080);
    EXPECT_EQ(plain.fpsNum, 60);
    EXPECT_EQ(plain.fpsDen, 1);
    EXPECT_EQ(plain.samples, 4);
    EXPECT_EQ(plain.motionRateNum, 300);
    EXPECT_FALSE(plain.fill);

    const CaptureOptions all = Parse({"--size",        "1280x720", "--fps=30000/1001",
                                      "--aa",          "8",        "--from",
                                      "3.5",           "--to",     "9",
                                      "--crf",         "18",       "--preset",
                                      "slow",          "--music",  "x.xm",
                                      "--motion-rate", "144",      "--fill",
                                      "--quiet",       "out.mkv"});
    EXPECT_EQ(all.width, 1280);
    EXPECT_EQ(all.height, 720);
    EXPECT_EQ(all.fpsNum, 30000);
    EXPECT_EQ(all.fpsDen, 1001);
    EXPECT_EQ(all.samples, 8);
    EXPECT_DOUBLE_EQ(all.from, 3.5);
    EXPECT_DOUBLE_EQ(all.to, 9);
    EXPECT_EQ(all.crf, 18);
    EXPECT_EQ(all.preset, "slow");
    EXPECT_EQ(all.music, "x.xm");
    EXPECT_EQ(all.motionRateNum, 144);
    EXPECT_TRUE(all.fill);
    EXPECT_TRUE(all.quiet);
    EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(CaptureOptions, BadUsageNamesTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--size", "0x10", "a.mp4"}, "--size"},
        {{"--size", "640", "a.mp4"}, "--size"},
        {{"--size", "640x-2", "a.mp4"}, "--size"},
        {{"--fps", "0", "a.mp4"}, "--fps"},
        {{"--fps", "abc", "a.mp4"}, "--fps"},
        {{"--fps", "30/0", "a.mp4"}, "--fps"},
        {{"--motion-rate", "-5", "a.mp4"}, "--motion-rate"},
        {{"--aa", "0", "a.mp4"}, "--aa"},
        {{"--from", "-1", "a.mp4"}, "--from"},
        {{"--from", "nan", "a.mp4"}, "--from"},
        {{"--from", "5", "--to", "4", "a.mp4"}, "--to"},
        {{"--crf", "99", "a.mp4"}, "--crf"},
        {{"--fps"}, "--fps"},
        {{"--bogus", "a.mp4"}, "--bogus"},
        {{"--quiet=yes", "a.mp4"}, "--quiet"},
        {{"--music", "m.xm", "--no-music", "a.mp4"}, "--no-music"},
        {{}, "OUTPUT"},
        {{"a.mp4", "b.mp4"}, "OUTPUT"},
    };
    for (const auto& [words, option] : cases) {
        const std::string message = UsageMessage(words);
        EXPECT_NE(message.find(option), std::string::npos)
            << words.size() << " words: '" << message << "' does not name " << option;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(CaptureTimeline, WholeShowFrameCountsAtCommonRates) {
    // 107 s of show and the one-second fade.
    EXPECT_EQ(CaptureTimeline(60, 1, 300, 1, 0, -1).FrameCount(), 6480);
    EXPECT_EQ(CaptureTimeline(30, 1, 300, 1, 0, -1).FrameCount(), 3240);
    EXPECT_EQ(CaptureTimeline(30000, 1001, 300, 1, 0, -1).FrameCount(), 3237);
    const CaptureTimeline part(60, 1, 300, 1, 3, 3.1);
    EXPECT_EQ(part.FirstFrame(), 180);
    EXPECT_EQ(part.FrameCount(), 6);
}

TEST(CaptureTimeline, FramesShowTheirMiddleAndNeverABound) {
    // Whole seconds and the half seconds of the camera's dive are the show's
    // window bounds: no frame middle falls on one at common rates.
    for (const auto& [num, den] :
         std::vector<std::pair<int, int>>{{60, 1}, {30, 1}, {24, 1}, {30000, 1001}, {50, 1}}) {
        const CaptureTimeline timeline(num, den, num, den, 0, -1);
        for (std::int64_t k = 0; k < timeline.EndFrame(); ++k) {
            const double middle = timeline.FrameMiddle(k);
            EXPECT_NEAR(middle, (k + 0.5) * den / num, 1e-9);
            EXPECT_NE(std::fmod(middle * 2, 1.0), 0.0) << num << "/" << den << " frame " << k;
        }
    }
}

TEST(CaptureTimeline, EachFrameShowsTheLatestLiveFrameAndTheEndIsHeld) {
    const CaptureTimeline timeline(60, 1, 300, 1, 0, -1);
    // Live frame j at (2j + 1) / 600 s. Frame 0 at 1/120 = 5/600 s shows live
    // frame 2 (exactly on time); frame 1 at 15/600 s shows live frame 7.
    EXPECT_EQ(timeline.LiveFrameOf(0), 2);
    EXPECT_EQ(timeline.LiveFrameOf(1), 7);
    const std::int64_t last = timeline.LiveFrameOf(6479);
    EXPECT_LE(timeline.Pace().FrameClock(last), kShowEnd);
    EXPECT_GT(timeline.Pace().FrameClock(last + 1), kShowEnd);
    // Every frame past the end of the show holds that last one.
    for (std::int64_t k = 6421; k < 6480; ++k) {
        EXPECT_EQ(timeline.LiveFrameOf(k), last) << k;
    }
    // Equal rates: frame k is live frame k.
    const CaptureTimeline same(30, 1, 30, 1, 0, 50);
    for (std::int64_t k = 0; k < same.EndFrame(); ++k) {
        ASSERT_EQ(same.LiveFrameOf(k), k);
    }
}

TEST(CaptureFraming, ShowsOwnAspectCentredOrFillsTheFrame) {
    const PictureBox wide = FitPicture(1920, 1080, false);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.width, 1440);
    EXPECT_EQ(wide.height, 1080);
    const PictureBox tall = FitPicture(600, 800, false);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 175);
    EXPECT_EQ(tall.width, 600);
    EXPECT_EQ(tall.height, 450);
    const PictureBox same = FitPicture(800, 600, false);
    EXPECT_EQ(same.width, 800);
    EXPECT_EQ(same.height, 600);
    const PictureBox fill = FitPicture(1920, 1080, true);
    EXPECT_EQ(fill.x, 0);
    EXPECT_EQ(fill.width, 1920);
}

TEST(CaptureSound, MusicFramesAtVideoFrameBoundsNeverDrift) {
    EXPECT_EQ(MusicFrameAt(0, 60, 1), 0);
    EXPECT_EQ(MusicFrameAt(60, 60, 1), 44100);
    EXPECT_EQ(MusicFrameAt(6480, 60, 1), 108 * 44100);
    // 30000/1001: an hour of frames lands within half a sample of the exact time.
    const std::int64_t frames = 107892;
    const double exact = frames * 1001.0 / 30000.0 * 44100.0;
    EXPECT_LE(std::abs(MusicFrameAt(frames, 30000, 1001) - exact), 0.5);
}

} // namespace

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "capture/frame_fingerprint.h"

namespace {

// The capture reuses a frame whose GL calls repeat the last one's: that holds
// only if every GL call the show makes is recorded.
TEST(CaptureFingerprint, EveryGlCallOfTheShowIsRecorded) {
    const std::set<std::string> recorded(std::begin(kFingerprintedCalls),
                                         std::end(kFingerprintedCalls));
    const std::regex call(R"(\b(glu?[A-Z][A-Za-z0-9]*)\s*\()");
    int files = 0;
    for (const char* folder : {"/src/show", "/src/primitives"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(TROMVISK_SOURCE_DIR) + folder)) {
            const std::string file = entry.path().string();
            if (entry.path().stem() == "view") {
                continue; // set up once before the frames, not part of one
            }
            std::ifstream in(file);
            ASSERT_TRUE(in) << file;
            ++files;
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
                EXPECT_EQ(recorded.count((*it)[1]), 1u) << file << " calls " << (*it)[1];
            }
        }
    }
    EXPECT_GE(files, 20); // headers and sources of both folders, but the view
}

} // namespace
