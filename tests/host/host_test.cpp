// The host through the recording layer: the frame loop, the keys, resizing,
// the view and the video mode set-up.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <GL/gl.h>

#include "call_log.h"
#include "fake_media.h"
#include "host/frame_loop.h"
#include "host/input.h"
#include "show/view.h"
#include "host/window.h"

namespace {

class Host : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeMedia();
        ClearCallLog();
        SetVideoFlagsAndGlAttributes();
        OpenShowWindow("bajs", 800, 600, VideoFlags);
        ClearCallLog();
    }
};

size_t Frames() {
    return CallsNamed("SDL_GL_SwapBuffers").size();
}

// The calls that change the mode, the grab, the cursor and the view, in order.
std::vector<std::string> ModeCalls() {
    std::vector<std::string> names;
    for (const LoggedCall& call : callLog) {
        if (call.name == "SDL_WM_ToggleFullScreen" || call.name == "SDL_SetVideoMode" ||
            call.name == "glViewport") {
            names.push_back(call.name);
        } else if (call.name == "SDL_WM_GrabInput" || call.name == "SDL_ShowCursor") {
            names.push_back(call.name + "(" + std::to_string(int(call.args.at(0))) + ")");
        }
    }
    return names;
}

// For paths that end the process: at exit, the child prints how many frames
// it presented and whether it faded, for the parent to match.
void ReportAtExit() {
    std::atexit([] {
        std::fprintf(stderr, "frames=%zu fades=%zu quits=%zu\n", Frames(),
                     CallsNamed("Mix_FadeOutMusic").size(), CallsNamed("SDL_Quit").size());
    });
}

TEST_F(Host, VideoFlagWordAndGlAttributesAreSetInOrder) {
    ClearCallLog();
    SetVideoFlagsAndGlAttributes();
    EXPECT_EQ(VideoFlags, 0xA0000012u) << "OpenGL, hardware palette, resizable, full screen";
    const std::vector<LoggedCall> attributes = CallsNamed("SDL_GL_SetAttribute");
    const std::vector<std::vector<double>> expected = {
        {SDL_GL_DOUBLEBUFFER, 1},     {SDL_GL_DEPTH_SIZE, 16},      {SDL_GL_STENCIL_SIZE, 0},
        {SDL_GL_ACCUM_RED_SIZE, 0},   {SDL_GL_ACCUM_GREEN_SIZE, 0}, {SDL_GL_ACCUM_BLUE_SIZE, 0},
        {SDL_GL_ACCUM_ALPHA_SIZE, 0},
    };
    ASSERT_EQ(attributes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(attributes[i].args, expected[i]) << "attribute " << i;
    }
}

TEST_F(Host, WindowIsOpenedAt800By600With16BitsAndTheFlagWord) {
    ClearCallLog();
    OpenShowWindow("bajs", 800, 600, VideoFlags);
    EXPECT_EQ(CallsNamed("SDL_SetVideoMode").at(0).args,
              (std::vector<double>{800, 600, 16, double(0xA0000012u)}));
    EXPECT_EQ(MainWindow, &fakeSurface);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"SDL_SetVideoMode", "SDL_WM_SetCaption"}));
}

TEST_F(Host, FailuresAfterVideoIsUpWriteOneErrorLineAndExitWithFailure) {
    fakeVideoInfoMissing = true;
    EXPECT_EXIT(SetVideoFlagsAndGlAttributes(), ::testing::ExitedWithCode(1),
                "^Failed getting Video Info : fake media error\n$");
    fakeVideoInfoMissing = false;

    fakeSetVideoModeFails = true;
    EXPECT_EXIT(OpenShowWindow("bajs", 800, 600, VideoFlags), ::testing::ExitedWithCode(1),
                "^Failed to Create Window : fake media error\n$");
    PushResize(640, 480);
    PushQuit();
    EXPECT_EXIT(MainLoop(), ::testing::ExitedWithCode(1),
                "^ Failed resizing SDL window : fake media error\n$");
    fakeSetVideoModeFails = false;

    fakeToggleFails = true;
    PushKeyDown(SDLK_f);
    PushQuit();
    EXPECT_EXIT(MainLoop(), ::testing::ExitedWithCode(1),
                "^Failed to Toggle Fullscreen mode : fake media error\n$");
}

TEST_F(Host, QuitRequestDrainsTheQueueThenDrawsExactlyOneMoreFrame) {
    PushQuit();
    PushResize(640, 480); // still handled after the quit request
    PushKeyUp(SDLK_ESCAPE);
    MainLoop();
    EXPECT_EQ(Frames(), 1u);
    EXPECT_EQ(CallsNamed("SDL_SetVideoMode").size(), 1u);
    const std::vector<std::string> names = CallNames({"SDL_PollEvent"});
    EXPECT_EQ(names.front(), "SDL_SetVideoMode") << "events come before the frame";
    EXPECT_EQ(names.back(), "SDL_GL_SwapBuffers");
    EXPECT_TRUE(CallsNamed("SDL_Quit").empty()) << "the fade-out is main's job";
}

TEST_F(Host, EscapeQuitsAtOnceWithNoFurtherFrameAndNoFade) {
    PushQuit();
    PushKeyDown(SDLK_ESCAPE);
    EXPECT_EXIT((ReportAtExit(), MainLoop()), ::testing::ExitedWithCode(0),
                "^frames=0 fades=0 quits=1\n$");
}

TEST_F(Host, ReleasesAndOtherKeysDoNothing) {
    PushKeyUp(SDLK_ESCAPE);
    PushKeyUp(SDLK_f);
    PushKeyDown(SDLK_g);
    PushKeyDown(SDLK_SPACE);
    PushQuit();
    MainLoop();
    EXPECT_TRUE(CallsNamed("SDL_WM_ToggleFullScreen").empty());
    EXPECT_EQ(Frames(), 1u);
}

TEST_F(Host, FTogglesFullScreenWhateverTheModifiers) {
    SDL_keysym shifted{};
    shifted.sym = SDLK_f;
    shifted.mod = KMOD_LSHIFT;
    HandleKeyPressEvent(&shifted);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"SDL_WM_ToggleFullScreen", "SDL_WM_GrabInput",
                                                     "SDL_ShowCursor"}));
    EXPECT_EQ(fakeSurface.flags & SDL_FULLSCREEN, 0u);
    EXPECT_EQ(VideoFlags, 0xA0000012u) << "the start-up flag word never changes";
}

TEST_F(Host, AWindowReleasesThePointerAndFullScreenLeavesTheGrabAlone) {
    ASSERT_EQ(fakeGrab, SDL_GRAB_ON) << "the media layer grabs for full screen";
    PushKeyDown(SDLK_f); // to a window
    PushQuit();
    MainLoop();
    // Shown, the cursor also ends the pointer lock Xwayland keeps from full screen.
    EXPECT_EQ(ModeCalls(), (std::vector<std::string>{"SDL_WM_ToggleFullScreen",
                                                     "SDL_WM_GrabInput(0)", "SDL_ShowCursor(1)"}));
    EXPECT_EQ(fakeGrab, SDL_GRAB_OFF) << "the pointer stays trapped in the window";

    ClearCallLog();
    fakeGrab = SDL_GRAB_ON; // whatever the media layer does on the way back
    PushKeyDown(SDLK_f);    // back to full screen
    PushQuit();
    MainLoop();
    EXPECT_EQ(ModeCalls(),
              (std::vector<std::string>{"SDL_WM_ToggleFullScreen", "SDL_ShowCursor(0)"}))
        << "full screen hides the cursor again and leaves the grab alone";
    EXPECT_EQ(fakeGrab, SDL_GRAB_ON);
}

TEST_F(Host, ResizeSetsModeViewportAndProjectionAndLastOfManyStands) {
    PushResize(640, 480);
    PushResize(1024, 300);
    PushQuit();
    MainLoop();
    const std::vector<LoggedCall> modes = CallsNamed("SDL_SetVideoMode");
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[1].args, (std::vector<double>{1024, 300, 16, double(0xA0000012u)}))
        << "still full screen: the surface has not been toggled";
    const std::vector<LoggedCall> viewports = CallsNamed("glViewport");
    ASSERT_EQ(viewports.size(), 2u);
    EXPECT_EQ(viewports[0].args, (std::vector<double>{0, 0, 640, 480}));
    EXPECT_EQ(viewports[1].args, (std::vector<double>{0, 0, 1024, 300}));
    EXPECT_DOUBLE_EQ(CallsNamed("gluPerspective").at(1).args.at(1), 1024.0 / 300.0);
    EXPECT_TRUE(CallsNamed("glEnable").empty()) << "a resize does not repeat the enable";
    EXPECT_TRUE(CallsNamed("SDL_WM_GrabInput").empty()) << "full screen keeps its grab";
}

TEST_F(Host, ResizedWindowStaysAWindowAndKeepsItsSizeAcrossToggles) {
    PushKeyDown(SDLK_f); // to a window
    PushResize(640, 480);
    PushQuit();
    MainLoop();
    const std::vector<LoggedCall> modes = CallsNamed("SDL_SetVideoMode");
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].args, (std::vector<double>{640, 480, 16, double(0x20000012u)}));
    EXPECT_EQ(VideoFlags, 0xA0000012u);
    EXPECT_EQ(ModeCalls(),
              (std::vector<std::string>{"SDL_WM_ToggleFullScreen", "SDL_WM_GrabInput(0)",
                                        "SDL_ShowCursor(1)", "SDL_SetVideoMode",
                                        "SDL_WM_GrabInput(0)", "glViewport"}))
        << "the resized window lets the pointer go too, and the cursor stays shown";

    ClearCallLog();
    PushKeyDown(SDLK_f); // back to full screen, same size
    PushQuit();
    MainLoop();
    EXPECT_EQ(fakeSurface.w, 640);
    EXPECT_NE(fakeSurface.flags & SDL_FULLSCREEN, 0u);
    EXPECT_TRUE(CallsNamed("glViewport").empty()) << "a toggle does not resize the view";
    EXPECT_TRUE(CallsNamed("SDL_WM_GrabInput").empty());
}

TEST_F(Host, ResizeToTheSizeTheSurfaceHasAlreadyIsSkipped) {
    PushResize(800, 600);
    PushKeyDown(SDLK_f); // a window of the same size
    PushResize(800, 600);
    PushResize(640, 480);
    PushQuit();
    MainLoop();
    EXPECT_EQ(ModeCalls(),
              (std::vector<std::string>{"SDL_WM_ToggleFullScreen", "SDL_WM_GrabInput(0)",
                                        "SDL_ShowCursor(1)", "SDL_SetVideoMode",
                                        "SDL_WM_GrabInput(0)", "glViewport"}));
}

// A window manager that answers every mode set with a resize: the drain would
// never end. A guard ends a child that hangs instead.
constexpr unsigned kHangGuardSeconds = 10;

void ReportModesAtExit() {
    std::atexit([] {
        std::fprintf(stderr, "modes=%zu frames=%zu quits=%zu\n",
                     CallsNamed("SDL_SetVideoMode").size(), Frames(),
                     CallsNamed("SDL_Quit").size());
    });
}

TEST_F(Host, ResizeStormEndsTheShowWithOneErrorLineWithinItsBound) {
    fakeResizeAfterEveryModeSet = true;
    PushResize(1280, 1024);
    EXPECT_EXIT((alarm(kHangGuardSeconds), ReportModesAtExit(), MainLoop()),
                ::testing::ExitedWithCode(1),
                "^ Failed resizing SDL window : the window size does not settle\n"
                "modes=22 frames=0 quits=1\n$")
        << "twenty returns";
    fakeModeSetMs = 300;
    EXPECT_EXIT((alarm(kHangGuardSeconds), ReportModesAtExit(), MainLoop()),
                ::testing::ExitedWithCode(1),
                "^ Failed resizing SDL window : the window size does not settle\n"
                "modes=6 frames=0 quits=1\n$")
        << "a second";
}

TEST_F(Host, QuitRequestDuringAResizeStormEndsTheDrainAndTheShowAsUsual) {
    fakeResizeAfterEveryModeSet = true;
    PushResize(1280, 1024);
    PushQuit(); // arrives behind the first resize: the storm goes on after it
    EXPECT_EXIT((alarm(kHangGuardSeconds), ReportModesAtExit(), MainLoop(), std::exit(0)),
                ::testing::ExitedWithCode(0), "^modes=22 frames=1 quits=0\n$");
}

TEST_F(Host, ViewSetsViewportPerspectiveAndLeavesModelviewAtIdentity) {
    SetUpView();
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"glViewport", "glMatrixMode", "glLoadIdentity",
                                                     "gluPerspective", "glMatrixMode",
                                                     "glLoadIdentity", "glEnable"}));
    EXPECT_EQ(CallsNamed("glViewport").at(0).args, (std::vector<double>{0, 0, 800, 600}));
    EXPECT_EQ(CallsNamed("glMatrixMode").at(0).args.at(0), GL_PROJECTION);
    EXPECT_EQ(CallsNamed("glMatrixMode").at(1).args.at(0), GL_MODELVIEW);
    EXPECT_EQ(CallsNamed("gluPerspective").at(0).args,
              (std::vector<double>{45.0, 1.3333333333333333, 1.0, 150.0}));
    EXPECT_EQ(CallsNamed("glEnable").at(0).args.at(0), GL_TEXTURE_2D);
}

TEST_F(Host, ZeroHeightIsTakenAsOneAndZeroWidthIsNotGuarded) {
    SizeView(640, 0);
    EXPECT_EQ(CallsNamed("glViewport").at(0).args, (std::vector<double>{0, 0, 640, 1}));
    EXPECT_EQ(CallsNamed("gluPerspective").at(0).args.at(1), 640.0);
    ClearCallLog();
    SizeView(0, 480);
    EXPECT_EQ(CallsNamed("gluPerspective").at(0).args.at(1), 0.0);
}

} // namespace
