// The capture's frames are the show's frames: pixel for pixel what the live
// binary draws at the same moment, and, where the turns matter, what a live
// run at the motion rate draws at the capture's clocks.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>

#include "capture/egl_context.h"
#include "capture/frame_target.h"
#include "capture/show_framing.h"
#include "capture_process.h"
#include "show/motion.h"
#include "show/render_scene.h"
#include "show/schedule.h"

namespace {

using Image = std::string; // RGB rows top down

// Every frame of a PNG folder, in order, as one image each.
std::vector<Image> FolderFrames(const std::string& folder, int width, int height) {
    const std::string raw =
        Shell("ffmpeg -v error -start_number 0 -i " + Quoted(folder + "/frame_%06d.png") +
              " -f rawvideo -pix_fmt rgb24 -");
    const std::size_t size = static_cast<std::size_t>(width) * height * 3;
    std::vector<Image> frames;
    for (std::size_t at = 0; at + size <= raw.size(); at += size) {
        frames.push_back(raw.substr(at, size));
    }
    return frames;
}

std::size_t DifferentPixels(const Image& a, const Image& b) {
    if (a.size() != b.size()) {
        return static_cast<std::size_t>(-1);
    }
    std::size_t different = 0;
    for (std::size_t i = 0; i < a.size(); i += 3) {
        different += a.compare(i, 3, b, i, 3) != 0;
    }
    return different;
}

// The live show's frame with its clock held at `milliseconds`, read back
// before it is presented (the snapshot path of tools/snapshot.sh).
Image LiveFrame(int milliseconds) {
    const std::string work = FreshFolder("live");
    const std::string ppm = work + "/frame.ppm";
    const pid_t show = fork();
    if (show == 0) {
        chdir(work.c_str());
        setenv("TROMVISK_TEST_CLOCK_SCALE", "0", 1);
        setenv("TROMVISK_TEST_CLOCK_OFFSET_MS", std::to_string(milliseconds).c_str(), 1);
        setenv("TROMVISK_TEST_SNAPSHOT", ppm.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        setenv("LD_PRELOAD", TROMVISK_CLOCK_SHIM, 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execl(TROMVISK_BINARY, TROMVISK_BINARY, nullptr);
        _exit(127);
    }
    for (int i = 0; i < 400; ++i) { // until the whole image is there
        if (ReadWhole(ppm).size() >= 800u * 600 * 3 + 15) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(show, SIGKILL);
    waitpid(show, nullptr, 0);
    const std::string bytes = ReadWhole(ppm);
    RemoveFolder(work);
    const std::string header = "P6\n800 600\n255\n";
    EXPECT_EQ(bytes.substr(0, header.size()), header) << "no live frame at " << milliseconds;
    return bytes.size() > header.size() ? bytes.substr(header.size()) : Image();
}

TEST(CaptureFrames, EqualTheLiveShowsFramesAcrossTheActs) {
    // Acts whose picture does not depend on the turns: the live binary's
    // held clock and the capture's clock fall in the same windows.
    const std::string folder = FreshFolder("capture-acts");
    for (int second : {3, 7, 55, 64, 68, 95, 104}) {
        const std::string frames = folder + "/t" + std::to_string(second);
        const CaptureRun run = RunCaptureBinary({"--size", "800x600", "--aa", "1", "--no-music",
                                                 "--quiet", "--from", std::to_string(second),
                                                 "--to", std::to_string(second) + ".01", frames});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const std::vector<Image> captured = FolderFrames(frames, 800, 600);
        ASSERT_EQ(captured.size(), 1u);
        const Image live = LiveFrame(second * 1000);
        EXPECT_EQ(DifferentPixels(captured[0], live), 0u) << "at " << second << " s";
    }
    RemoveFolder(folder);
}

// A live run at `rate` frames a second drawn off screen by this test: every
// live frame's motion, and the frames the capture samples drawn in full.
class LiveRunDrawing {
  public:
    LiveRunDrawing(int width, int height) : target_(width, height, 1) {
        SetUpShowView(FitPicture(width, height, false), 0, 0);
    }

    // Frames `wanted` (live indices, ascending) of a run at `rate`.
    std::vector<Image> Draw(std::int64_t rate, const std::vector<std::int64_t>& wanted) {
        RestoreTurns({0, 0, 0});
        std::vector<Image> images;
        std::size_t next = 0;
        std::vector<std::uint8_t> rgba(target_.FrameBytes());
        for (std::int64_t j = 0; next < wanted.size(); ++j) {
            const float clock =
                static_cast<float>(static_cast<long double>(2 * j + 1) / (2 * rate));
            if (j != wanted[next]) {
                RunScheduleMotion(clock); // what drawing the frame does to the turns
                continue;
            }
            while (next < wanted.size() && wanted[next] == j) {
                const Turns before = SaveTurns();
                target_.BeginPass();
                DrawShowFrame(clock);
                target_.EndPass();
                target_.ReadNow(rgba.data());
                images.push_back(TopDownRgb(rgba));
                RestoreTurns(before);
                ++next;
            }
            RunScheduleMotion(clock);
        }
        return images;
    }

  private:
    Image TopDownRgb(const std::vector<std::uint8_t>& rgba) const {
        const int width = target_.Width(), height = target_.Height();
        Image rgb(static_cast<std::size_t>(width) * height * 3, '\0');
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* from =
                    &rgba[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4];
                char* to = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
                to[0] = static_cast<char>(from[0]);
                to[1] = static_cast<char>(from[1]);
                to[2] = static_cast<char>(from[2]);
            }
        }
        return rgb;
    }

    EglContext context_;
    FrameTarget target_;
};

// The live frame a video frame k at `fps` shows at live `rate`: the latest
// (2j + 1) / (2 rate) at or before (2k + 1) / (2 fps).
// Past the end of the show (107 s) the last live frame drawn is held.
std::int64_t LiveFrameShown(std::int64_t k, std::int64_t fps, std::int64_t rate) {
    std::int64_t j = ((2 * k + 1) * rate - fps) / (2 * fps);
    while (static_cast<float>(static_cast<long double>(2 * j + 1) / (2 * rate)) > 107.0f) {
        --j;
    }
    return j;
}

void ExpectMotionOfALiveRun(std::int64_t fps, std::int64_t rate, int from, int to) {
    constexpr int kWidth = 400, kHeight = 300;
    const std::string folder = FreshFolder("capture-motion");
    const CaptureRun run =
        RunCaptureBinary({"--size", "400x300", "--aa", "1", "--no-music", "--quiet", "--fps",
                          std::to_string(fps), "--motion-rate", std::to_string(rate), "--from",
                          std::to_string(from), "--to", std::to_string(to), folder + "/frames"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<Image> captured = FolderFrames(folder + "/frames", kWidth, kHeight);
    RemoveFolder(folder);
    ASSERT_EQ(captured.size(), static_cast<std::size_t>((to - from) * fps));
    std::vector<std::int64_t> wanted;
    for (std::int64_t k = from * fps; k < to * fps; ++k) {
        wanted.push_back(LiveFrameShown(k, fps, rate));
    }
    LiveRunDrawing live(kWidth, kHeight);
    const std::vector<Image> drawn = live.Draw(rate, wanted);
    ASSERT_EQ(drawn.size(), captured.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        ASSERT_EQ(DifferentPixels(captured[i], drawn[i]), 0u)
            << "video frame " << from * fps + static_cast<std::int64_t>(i) << " (live frame "
            << wanted[i] << ", " << (wanted[i] + 0.5) / rate << " s)";
    }
}

TEST(CaptureMotion, AtTheVideoRateTurnsFollowTheLiveShowFrameForFrame) {
    // Through the turn reversal at 35 s and the end of the spin at 47 s.
    ExpectMotionOfALiveRun(30, 30, 33, 37);
}

TEST(CaptureMotion, StillStretchesAndTheirChangesAreDrawnAsLive) {
    // Where the picture stands still the capture reuses the frame drawn
    // before; it must still change exactly where the show does: the grid
    // joining at 5 s, a glyph typed and the camera moving at 63 s, the grid
    // leaving and the camera rising at 65 s, the held end after 107 s.
    ExpectMotionOfALiveRun(30, 300, 4, 6);
    ExpectMotionOfALiveRun(10, 300, 62, 66);
    ExpectMotionOfALiveRun(10, 300, 106, 108);
}

TEST(CaptureMotion, AtAHigherRateTurnsAreThoseOfALiveRunSampledAtTheVideoClocks) {
    // The spin, its reversal and the spiral from 72 s, replayed from the start.
    ExpectMotionOfALiveRun(2, 300, 30, 90);
}

// Mean absolute difference per channel, 0..255.
double MeanDifference(const Image& a, const Image& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        sum += std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]));
    }
    return sum / a.size();
}

TEST(CaptureMotion, JitteredPassesDrawOneMomentAndLeaveTheTurnsAsOnePassDoes) {
    // 8 samples: two jittered passes of 4 on this renderer. Every pass draws
    // the same turns and the next frame goes on from them, so after 120 drawn
    // frames of the reversed spin the picture differs from one pass of 4
    // samples only in its antialiased edges (a mean difference near 2 of 255;
    // turns carried on from the wrong pass give 11 and more).
    const std::string folder = FreshFolder("capture-jitter");
    for (const char* samples : {"4", "8"}) {
        const CaptureRun run = RunCaptureBinary({"--size", "400x300", "--aa", samples, "--no-music",
                                                 "--quiet", "--fps", "30", "--from", "40", "--to",
                                                 "44", folder + "/aa" + samples});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
    }
    const std::vector<Image> four = FolderFrames(folder + "/aa4", 400, 300);
    const std::vector<Image> eight = FolderFrames(folder + "/aa8", 400, 300);
    RemoveFolder(folder);
    ASSERT_EQ(four.size(), 120u);
    ASSERT_EQ(eight.size(), 120u);
    EXPECT_NE(DifferentPixels(four.back(), eight.back()), 0u) << "the passes were not jittered";
    for (std::size_t i = 0; i < four.size(); i += 30) {
        EXPECT_LT(MeanDifference(four[i], eight[i]), 4.0) << "video frame " << 1200 + i;
    }
    EXPECT_LT(MeanDifference(four.back(), eight.back()), 4.0);
}

} // namespace
