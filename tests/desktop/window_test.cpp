// The real show on a desktop with a window manager: full screen at start, f
// to a decorated window that lets the pointer go and back, a resize and a
// close through the window manager.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "desktop_fixture.h"

namespace {

// The show's 4:3 picture scaled to the screen's full width, bars above and below.
constexpr int kShowWidth = 800;
constexpr int kShowHeight = 600;
constexpr double kFullScreenScale = double(kScreenWidth) / kShowWidth;
constexpr int kPictureHeight = kShowHeight * kScreenWidth / kShowWidth;
constexpr int kBarHeight = (kScreenHeight - kPictureHeight) / 2;
constexpr int kEdgeTolerance = 2; // pixels a scaled edge may move by filtering

constexpr int kResizedWidth = 1000;
constexpr int kResizedHeight = 700;

class DesktopWindow : public Desktop {
  protected:
    // The held show, with its 20th frame read back as the program drew it.
    static ShowOptions WithFrame() {
        ShowOptions options = HeldOnDesktop();
        options.set.push_back({"TROMVISK_TEST_SNAPSHOT", "frame.ppm"});
        return options;
    }

    RgbImage ShowFrame() {
        EXPECT_TRUE(WaitForTraceLine(show, "snapshot frame.ppm", 1, 10));
        return ReadPpm(show.dir + "/frame.ppm");
    }

    // Switches with f and waits until the window manager has made the change.
    WindowGeometry PressF(const std::string& window, bool toFullScreen) {
        RunCommand("xdotool key --window " + window + " f");
        EXPECT_TRUE(WaitForTraceLine(
            show, toFullScreen ? "toggle 1 fullscreen=1" : "toggle 1 fullscreen=0", 1, 10))
            << "f did not toggle";
        const WindowGeometry geometry = toFullScreen
                                            ? WaitForSize(window, kScreenWidth, kScreenHeight, 10)
                                            : WaitForSize(window, kShowWidth, kShowHeight, 10);
        EXPECT_TRUE(WaitForMoreFrames(5, 10)) << "frames stopped";
        return geometry;
    }

    // The screen holds the show's frame scaled to the full width with its
    // aspect kept, centred between black bars.
    void ExpectLetterboxed(const RgbImage& screen, const RgbImage& frame) {
        ASSERT_EQ(screen.width, kScreenWidth);
        ASSERT_EQ(screen.height, kScreenHeight);
        ASSERT_EQ(frame.width, kShowWidth);
        ASSERT_EQ(frame.height, kShowHeight);
        EXPECT_TRUE(RowsBlack(screen, 0, kBarHeight - 1)) << "bar above";
        EXPECT_TRUE(RowsBlack(screen, kScreenHeight - kBarHeight, kScreenHeight - 1))
            << "bar below";
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
};

TEST_F(DesktopWindow, FullScreenAtStartCoversTheScreenWithTheLetterboxedPicture) {
    const std::string window = StartFullScreen(WithFrame());
    ASSERT_FALSE(window.empty());
    EXPECT_NE(WindowState(window).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos)
        << WindowState(window);
    ExpectLetterboxed(ScreenShot(show.dir + "/screen.ppm"), ShowFrame());
    EXPECT_EQ(MovePointer(kScreenWidth / 2, kScreenHeight / 2),
              std::to_string(kScreenWidth / 2) + " " + std::to_string(kScreenHeight / 2));
    EXPECT_EQ(CursorUnderPointer(), "hidden");
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(DesktopWindow, FMakesADecoratedWindowThatLetsThePointerGo) {
    const std::string window = StartFullScreen(HeldOnDesktop());
    ASSERT_FALSE(window.empty());
    const WindowGeometry geometry = PressF(window, false);
    EXPECT_EQ(geometry.width, kShowWidth);
    EXPECT_EQ(geometry.height, kShowHeight);
    EXPECT_EQ(WindowState(window).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos);
    int left = 0, right = 0, top = 0, bottom = 0;
    const std::string extents = FrameExtents(window);
    ASSERT_EQ(std::sscanf(extents.c_str(), "%d, %d, %d, %d", &left, &right, &top, &bottom), 4)
        << "no decorations: " << extents;
    EXPECT_GT(top, left) << "a title bar above the window";

    // The pointer can leave the window, for its title bar and other programs.
    ASSERT_FALSE(geometry.Contains(0, 0)) << geometry;
    EXPECT_EQ(MovePointer(0, 0), "0 0") << "the pointer is held in the window at " << geometry;
    EXPECT_EQ(CursorUnderPointer(), "shown") << "outside the window";
    const int titleX = geometry.x + geometry.width / 2, titleY = geometry.y - top / 2;
    EXPECT_EQ(MovePointer(titleX, titleY), std::to_string(titleX) + " " + std::to_string(titleY))
        << "the title bar";
    EXPECT_EQ(MovePointer(kScreenWidth - 1, kScreenHeight - 1),
              std::to_string(kScreenWidth - 1) + " " + std::to_string(kScreenHeight - 1));
    // Over the window, the cursor stays hidden.
    const int middleX = geometry.x + geometry.width / 2, middleY = geometry.y + geometry.height / 2;
    EXPECT_EQ(MovePointer(middleX, middleY),
              std::to_string(middleX) + " " + std::to_string(middleY));
    EXPECT_EQ(CursorUnderPointer(), "hidden");
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(DesktopWindow, FAgainIsFullScreenAgain) {
    const std::string window = StartFullScreen(WithFrame());
    ASSERT_FALSE(window.empty());
    const RgbImage frame = ShowFrame();
    PressF(window, false);
    const WindowGeometry geometry = PressF(window, true);
    EXPECT_EQ(geometry, (WindowGeometry{0, 0, kScreenWidth, kScreenHeight}));
    EXPECT_NE(WindowState(window).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos);
    ExpectLetterboxed(ScreenShot(show.dir + "/screen.ppm"), frame);
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(DesktopWindow, AResizeThroughTheWindowManagerAndThePictureFollows) {
    const std::string window = StartFullScreen(WithFrame());
    ASSERT_FALSE(window.empty());
    const RgbImage frame = ShowFrame();
    PressF(window, false);
    // The extremes first, then a size that fits on the screen to look at.
    const std::pair<int, int> sizes[] = {{1, 1}, {3000, 2500}, {kResizedWidth, kResizedHeight}};
    for (const auto& [width, height] : sizes) {
        const std::string size = std::to_string(width) + " " + std::to_string(height);
        RunCommand("xdotool windowsize " + window + " " + size);
        ASSERT_TRUE(WaitForTraceLine(show, "mode " + size + " 16 0x20000012 ok", 1, 10))
            << size << ": the resize did not re-create a windowed mode";
        EXPECT_TRUE(WaitForTraceLine(show, "viewport 0 0 " + size, 1, 10)) << size;
        const WindowGeometry geometry = WaitForSize(window, width, height, 10);
        ASSERT_EQ(geometry.width, width);
        ASSERT_EQ(geometry.height, height);
        ASSERT_TRUE(WaitForMoreFrames(5, 10)) << size << ": frames stopped after the resize";
    }
    const WindowGeometry geometry = GeometryOf(window);

    // Drawn anew at the new size: the grid still spans the height, and its
    // width keeps its proportion to the height (not stretched to the window).
    const RgbImage screen = ScreenShot(show.dir + "/screen.ppm");
    const PixelBox drawn = NonBlackBox(frame, {0, 0, kShowWidth - 1, kShowHeight - 1});
    const PixelBox shown = NonBlackBox(screen, geometry.Box());
    ASSERT_FALSE(shown.Empty()) << "nothing in the window";
    const double scale = double(kResizedHeight) / kShowHeight;
    EXPECT_EQ(shown.top, geometry.y);
    EXPECT_EQ(shown.bottom, geometry.y + kResizedHeight - 1);
    EXPECT_NEAR(shown.Width(), drawn.Width() * scale, 2 * kEdgeTolerance);
    EXPECT_NEAR(shown.left - geometry.x, geometry.x + geometry.width - 1 - shown.right,
                kEdgeTolerance)
        << "centred";
    EXPECT_EQ(MovePointer(0, 0), "0 0") << "the pointer is held in the resized window";
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

// Closing through the window manager, full screen and as a window.
TEST_F(DesktopWindow, CloseThroughTheWindowManagerFadesForASecondAndExitsZero) {
    for (const bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "windowed" : "full screen");
        const std::string window = StartFullScreen(HeldOnDesktop());
        ASSERT_FALSE(window.empty());
        if (windowed) {
            PressF(window, false);
        }
        const auto closed = std::chrono::steady_clock::now();
        RunCommand("wmctrl -i -c " + window);
        ASSERT_TRUE(WaitForEnd(show, 20));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - closed).count();
        ExpectGracefulEnding(show);
        EXPECT_GE(seconds, 1.0) << "the fade takes a second";
        StopShow(show);
    }
}

} // namespace
