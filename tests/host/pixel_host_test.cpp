// The host with the real media layer and GL: many resizes in one drain of
// the event queue, queued the way the window system would queue them.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL.h>

#include "host/frame_loop.h"
#include "host/input.h"
#include "host/window.h"
#include "pixel_frame.h"

namespace {

void PushResize(int width, int height) {
    SDL_Event event{};
    event.type = SDL_VIDEORESIZE;
    event.resize.type = SDL_VIDEORESIZE;
    event.resize.w = width;
    event.resize.h = height;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

TEST(RealHost, HundredResizesInOneDrainLeaveTheLastSizeInModeAndView) {
    OpenPixelTestWindow();
    ToggleFullScreen(); // a window, as a viewer resizing it would have
    for (int i = 0; i < 100; ++i) {
        PushResize(320 + 5 * i, 240 + 3 * i);
    }
    PushResize(640, 480);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    MainLoop(); // drains all of it, draws one frame, returns

    ASSERT_NE(MainWindow, nullptr);
    EXPECT_EQ(MainWindow->w, 640);
    EXPECT_EQ(MainWindow->h, 480);
    EXPECT_EQ(MainWindow->flags & SDL_FULLSCREEN, 0u) << "a resized window stays a window";
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);

    // The view fits the new size: the opening banner's first cube is where
    // the projection for 640 × 480 puts it.
    RenderShowFrameAt(2.0f);
    const WindowPoint corner = ProjectAt(2.0f, -39.5, 0.0, -4.5); // top of V's first cube
    ASSERT_TRUE(corner.visible);
    EXPECT_LT(corner.x, 640);
    EXPECT_EQ(PixelAt(corner.x, corner.y), kBlue);
}

} // namespace
