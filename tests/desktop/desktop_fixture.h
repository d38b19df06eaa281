// What the desktop tests share: the show run on a desktop with a window
// manager and a sound server (started by run-desktop-tests.sh), and what the
// window system says about its window.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e_fixture.h"
#include "screen_image.h"

// Where a window's inside lies on the screen.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
    bool Contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    PixelBox Box() const { return {x, y, x + width - 1, y + height - 1}; }
};

std::ostream& operator<<(std::ostream& out, const WindowGeometry& geometry);

WindowGeometry GeometryOf(const std::string& window);

// Waits until the window has this size; returns the last geometry seen.
WindowGeometry WaitForSize(const std::string& window, int width, int height, double timeoutSeconds);

// The window manager's state atoms for the window, e.g. "_NET_WM_STATE_FULLSCREEN".
std::string WindowState(const std::string& window);

// The decorations around the window: left, right, top, bottom, as "1, 1, 20, 5".
std::string FrameExtents(const std::string& window);

// Moves the pointer with XTEST and says where it landed, as "x y".
std::string MovePointer(int x, int y);

// "shown" or "hidden": whether the cursor under the pointer has a visible pixel.
std::string CursorUnderPointer();

// The screen the desktop runs on.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// The show's 4:3 picture scaled to the screen's full width, bars above and below.
constexpr int kShowWidth = 800;
constexpr int kShowHeight = 600;
constexpr double kFullScreenScale = double(kScreenWidth) / kShowWidth;
constexpr int kPictureHeight = kShowHeight * kScreenWidth / kShowWidth;
constexpr int kBarHeight = (kScreenHeight - kPictureHeight) / 2;
constexpr int kEdgeTolerance = 2; // pixels a scaled edge may move by filtering

// The show on this desktop with the media layer's own choice of drivers (the
// sound goes to the sound server), its clock held at a time when every frame
// is the same: the opening banner over the whole grid, no turn going on.
ShowOptions HeldOnDesktop();

// The options with the show's 20th frame read back as the program drew it.
ShowOptions WithFrame(ShowOptions options);
RgbImage ShowFrame(const ShowProcess& show);

// The screen holds the show's frame scaled to the full width with its aspect
// kept, centred between black bars.
void ExpectLetterboxed(const RgbImage& screen, const RgbImage& frame);

class Desktop : public EndToEnd {
  protected:
    void SetUp() override;

    // Starts the show and waits until its window is full screen and has
    // presented frames there; returns the window.
    std::string StartFullScreen(const ShowOptions& options);

    // Waits for `count` more frames from now.
    bool WaitForMoreFrames(int count, double timeoutSeconds);
};
