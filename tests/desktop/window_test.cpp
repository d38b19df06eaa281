// The real show on a desktop with a window manager: full screen at start, f
// to a decorated window that lets the pointer go and back, a resize and a
// close through the window manager.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "desktop_fixture.h"

namespace {

constexpr int kResizedWidth = 1000;
constexpr int kResizedHeight = 700;

class DesktopWindow : public Desktop {
  protected:
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
};

TEST_F(DesktopWindow, FullScreenAtStartCoversTheScreenWithTheLetterboxedPicture) {
    const std::string window = StartFullScreen(WithFrame(HeldOnDesktop()));
    ASSERT_FALSE(window.empty());
    EXPECT_NE(WindowState(window).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos)
        << WindowState(window);
    ExpectLetterboxed(ScreenShot(show.dir + "/screen.ppm"), ShowFrame(show));
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
    // Over the window, the cursor shows: a hidden one kept Xwayland's pointer
    // lock of full screen alive in the window.
    const int middleX = geometry.x + geometry.width / 2, middleY = geometry.y + geometry.height / 2;
    EXPECT_EQ(MovePointer(middleX, middleY),
              std::to_string(middleX) + " " + std::to_string(middleY));
    EXPECT_EQ(CursorUnderPointer(), "shown");
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(DesktopWindow, FAgainIsFullScreenAgain) {
    const std::string window = StartFullScreen(WithFrame(HeldOnDesktop()));
    ASSERT_FALSE(window.empty());
    const RgbImage frame = ShowFrame(show);
    PressF(window, false);
    const WindowGeometry geometry = PressF(window, true);
    EXPECT_EQ(geometry, (WindowGeometry{0, 0, kScreenWidth, kScreenHeight}));
    EXPECT_NE(WindowState(window).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos);
    ExpectLetterboxed(ScreenShot(show.dir + "/screen.ppm"), frame);
    MovePointer(kScreenWidth / 2, kScreenHeight / 2);
    EXPECT_EQ(CursorUnderPointer(), "hidden") << "full screen hides the cursor again";
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(DesktopWindow, AResizeThroughTheWindowManagerAndThePictureFollows) {
    const std::string window = StartFullScreen(WithFrame(HeldOnDesktop()));
    ASSERT_FALSE(window.empty());
    const RgbImage frame = ShowFrame(show);
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
