#include "desktop_fixture.h"

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kHeldShowTimeMs = "8000";

int FieldAfter(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

} // namespace

std::ostream& operator<<(std::ostream& out, const WindowGeometry& geometry) {
    return out << geometry.width << "x" << geometry.height << "+" << geometry.x << "+"
               << geometry.y;
}

WindowGeometry GeometryOf(const std::string& window) {
    const std::string info = RunCommand("xwininfo -id " + window + " 2>/dev/null");
    return {FieldAfter(info, "Absolute upper-left X:"), FieldAfter(info, "Absolute upper-left Y:"),
            FieldAfter(info, "Width:"), FieldAfter(info, "Height:")};
}

WindowGeometry WaitForSize(const std::string& window, int width, int height,
                           double timeoutSeconds) {
    const auto start = std::chrono::steady_clock::now();
    WindowGeometry geometry;
    do {
        geometry = GeometryOf(window);
        if (geometry.width == width && geometry.height == height) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
             timeoutSeconds);
    return geometry;
}

std::string WindowState(const std::string& window) {
    return RunCommand("xprop -id " + window + " _NET_WM_STATE 2>/dev/null");
}

std::string FrameExtents(const std::string& window) {
    const std::string line = RunCommand("xprop -id " + window + " _NET_FRAME_EXTENTS 2>/dev/null");
    const std::size_t at = line.find("= ");
    return at == std::string::npos ? "" : line.substr(at + 2);
}

std::string MovePointer(int x, int y) {
    const std::string location =
        RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                   " && sleep 0.2 && xdotool getmouselocation");
    return std::to_string(FieldAfter(location, "x:")) + " " +
           std::to_string(FieldAfter(location, "y:"));
}

std::string CursorUnderPointer() {
    const std::string answer = RunCommand(TROMVISK_CURSOR_SHOWN);
    return answer.substr(0, answer.find(' '));
}

void Desktop::SetUp() {
    if (std::getenv("TROMVISK_DESKTOP") == nullptr) {
        GTEST_SKIP() << "needs a window manager and a sound server: run through "
                        "tests/desktop/run-desktop-tests.sh (./test.sh does)";
    }
    EndToEnd::SetUp();
    ASSERT_FALSE(RunCommand("wmctrl -m 2>/dev/null").empty()) << "no window manager running";
    ASSERT_NE(RunCommand("pactl info 2>/dev/null").find("Server Name"), std::string::npos)
        << "no sound server at PULSE_SERVER";
    ASSERT_EQ(RunCommand("xdpyinfo | sed -n 's/ *dimensions: *\\([0-9x]*\\) .*/\\1/p'"),
              std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight));
}

ShowOptions HeldOnDesktop() {
    ShowOptions options;
    options.unset = {"SDL_VIDEODRIVER", "SDL_AUDIODRIVER"};
    options.set = {{"TROMVISK_TEST_CLOCK_SCALE", "0"},
                   {"TROMVISK_TEST_CLOCK_OFFSET_MS", kHeldShowTimeMs}};
    return options;
}

ShowOptions WithFrame(ShowOptions options) {
    options.set.push_back({"TROMVISK_TEST_SNAPSHOT", "frame.ppm"});
    return options;
}

RgbImage ShowFrame(const ShowProcess& show) {
    EXPECT_TRUE(WaitForTraceLine(show, "snapshot frame.ppm", 1, 10));
    return ReadPpm(show.dir + "/frame.ppm");
}

void ExpectLetterboxed(const RgbImage& screen, const RgbImage& frame) {
    ASSERT_EQ(screen.width, kScreenWidth);
    ASSERT_EQ(screen.height, kScreenHeight);
    ASSERT_EQ(frame.width, kShowWidth);
    ASSERT_EQ(frame.height, kShowHeight);
    EXPECT_TRUE(RowsBlack(screen, 0, kBarHeight - 1)) << "bar above";
    EXPECT_TRUE(RowsBlack(screen, kScreenHeight - kBarHeight, kScreenHeight - 1)) << "bar below";
    const PixelBox drawn = NonBlackBox(frame, {0, 0, kShowWidth - 1, kShowHeight - 1});
    const PixelBox shown = NonBlackBox(screen, {0, 0, kScreenWidth - 1, kScreenHeight - 1});
    ASSERT_FALSE(drawn.Empty()) << "the held frame is all black";
    ASSERT_FALSE(shown.Empty()) << "nothing on the screen";
    // The grid reaches the frame's top and bottom: the picture fills the
    // space between the bars, and its width is scaled as much as its height.
    EXPECT_EQ(drawn.top, 0);
    EXPECT_EQ(drawn.bottom, kShowHeight - 1);
    EXPECT_NEAR(shown.top, kBarHeight, kEdgeTolerance);
    EXPECT_NEAR(shown.bottom, kScreenHeight - kBarHeight - 1, kEdgeTolerance);
    EXPECT_NEAR(shown.left, drawn.left * kFullScreenScale, kEdgeTolerance);
    EXPECT_NEAR(shown.right + 1, (drawn.right + 1) * kFullScreenScale, kEdgeTolerance);
}

std::string Desktop::StartFullScreen(const ShowOptions& options) {
    const std::string window = StartAndWaitForFrames(options);
    if (window.empty()) {
        return window;
    }
    const WindowGeometry geometry = WaitForSize(window, kScreenWidth, kScreenHeight, 10);
    EXPECT_EQ(geometry, (WindowGeometry{0, 0, kScreenWidth, kScreenHeight}))
        << "full screen at start covers the screen";
    EXPECT_TRUE(WaitForMoreFrames(5, 10)) << "frames stopped";
    return window;
}

bool Desktop::WaitForMoreFrames(int count, double timeoutSeconds) {
    const std::vector<std::string> lines = TraceLines(show);
    const long frames = std::count(lines.begin(), lines.end(), "swap");
    return WaitForTraceLine(show, "swap", int(frames) + count, timeoutSeconds);
}
