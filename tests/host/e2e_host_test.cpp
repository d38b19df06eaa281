// The real show binary, end to end, on the test's X display: credits, failed
// start-ups, keys, signals, the close request, resizing and the end of the show.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <sstream>

#include "e2e_fixture.h"

namespace {

const char* const kCredits = "             Tromvisk                 \n"
                             "     by: virvelstormgarden            \n"
                             " _______________________________________ \n"
                             "                        \n"
                             "   code: d0rvik                 \n"
                             "           music: trimbaxel             \n"
                             "          scenetuner.com  \t\n"
                             " \tscenetuner.com/trimbaxel\t\n"
                             " _______________________________________ \n"
                             " \n"
                             "Hit the \"f\"-key to toggle fullscreen\n"
                             "ESC to quit\n";

TEST_F(EndToEnd, CreditsAreTwelveLinesLaidOutExactly) {
    const std::vector<std::string> lines = Lines(kCredits);
    ASSERT_EQ(lines.size(), 12u);
    // Lines 7 and 8 hold the group's address (14 characters) and the musician's (24).
    const size_t lengths[] = {38, 38, 41, 24, 32, 40, 13 + 14, 3 + 24, 41, 1, 36, 11};
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), lengths[i]) << "credits line " << i + 1;
    }
    EXPECT_EQ(lines[2], std::string(" ") + std::string(39, '_') + " ");
    EXPECT_EQ(lines[8], lines[2]);
}

TEST_F(EndToEnd, FailedVideoStartPrintsCreditsOneErrorLineAndExitsWithOne) {
    ShowOptions options;
    options.set = {{"SDL_VIDEODRIVER", "no-such-driver"}, {"SDL_AUDIODRIVER", "dummy"}};
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 20));
    EXPECT_EQ(ExitCode(show), 1);
    EXPECT_EQ(ReadFile(show.stdoutPath), kCredits);
    const std::vector<std::string> errors = Lines(ReadFile(show.stderrPath));
    ASSERT_EQ(errors.size(), 1u) << ReadFile(show.stderrPath);
    EXPECT_EQ(errors[0].rfind("Failed initializing SDL Video : ", 0), 0u) << errors[0];
    EXPECT_GT(errors[0].size(), std::string("Failed initializing SDL Video : ").size())
        << "the media layer's reason follows the message";
}

TEST_F(EndToEnd, NoDisplayIsAFailureNotAnInvisibleShow) {
    char emptyRuntimeDir[] = "/tmp/tromvisk-noxdg-XXXXXX"; // no Wayland socket in it
    ShowOptions options;
    options.set = {{"SDL_AUDIODRIVER", "dummy"}, {"XDG_RUNTIME_DIR", mkdtemp(emptyRuntimeDir)}};
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 20));
    RunCommand(std::string("rmdir ") + emptyRuntimeDir);
    EXPECT_EQ(ExitCode(show), 1);
    EXPECT_EQ(ReadFile(show.stdoutPath), kCredits);
    EXPECT_EQ(ReadFile(show.stderrPath), "Failed initializing SDL Video : no display available\n");
    for (const std::string& line : TraceLines(show)) {
        EXPECT_NE(line, "swap") << "no frame may be drawn";
    }
}

TEST_F(EndToEnd, StartUpOpensTheModePlaysOnceAndHidesTheCursor) {
    StartAndWaitForFrames(OnDisplay());
    std::vector<std::string> lines = TraceLines(show);
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.rfind("event", 0) == 0; }),
                lines.end());
    const std::vector<std::string> expected = {
        "mode 800 600 16 0xa0000012 ok",
        "caption bajs bajs",
        "open_audio 44100 0x8010 2 2048 -> 0",
        "load_music demo.xm ok",
        "play_music 0 -> 0",
        "cursor 0",
        "viewport 0 0 800 600",
        "perspective 45 1.333333 1 150",
        "swap",
    };
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_EQ(ReadFile(show.stdoutPath), kCredits);
}

TEST_F(EndToEnd, NoSoundDevicePrintsBajsAndTheShowRunsSilent) {
    ShowOptions options = OnDisplay();
    options.set = {{"SDL_AUDIODRIVER", "no-such-driver"}};
    const std::string window = StartAndWaitForFrames(options);
    RunCommand("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(WaitForEnd(show, 20));
    EXPECT_EQ(ExitCode(show), 0);
    EXPECT_EQ(ReadFile(show.stdoutPath), std::string(kCredits) + "bajs");
}

TEST_F(EndToEnd, MissingMusicFileIsSilentAndUnreported) {
    ShowOptions options = OnDisplay();
    options.withMusic = false;
    const std::string window = StartAndWaitForFrames(options);
    RunCommand("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(WaitForEnd(show, 20));
    EXPECT_EQ(ExitCode(show), 0);
    EXPECT_EQ(ReadFile(show.stdoutPath), kCredits);
    EXPECT_EQ(ReadFile(show.stderrPath), "");
}

TEST_F(EndToEnd, EscapeEndsAtOnceWithNoFade) {
    const std::string window = StartAndWaitForFrames(OnDisplay());
    RunCommand("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(WaitForEnd(show, 20));
    EXPECT_EQ(ExitCode(show), 0);
    const std::vector<std::string> ending = TraceFrom(show, "event 2");
    ASSERT_FALSE(ending.empty()) << "the key press never arrived";
    EXPECT_EQ(std::count(ending.begin(), ending.end(), "swap"), 0) << "no frame after Escape";
    EXPECT_EQ(ending.back(), "sdl_quit");
    for (const std::string& line : ending) {
        EXPECT_EQ(line.rfind("fade", 0), std::string::npos) << "Escape must not fade";
        EXPECT_EQ(line.rfind("delay", 0), std::string::npos);
    }
    EXPECT_EQ(ReadFile(show.stderrPath), "");
}

TEST_F(EndToEnd, TerminationSignalIsAQuitRequest) {
    StartAndWaitForFrames(OnDisplay());
    kill(show.pid, SIGTERM);
    ASSERT_TRUE(WaitForEnd(show, 20));
    ExpectGracefulEnding(show);
}

TEST_F(EndToEnd, InterruptSignalIsAQuitRequest) {
    StartAndWaitForFrames(OnDisplay());
    kill(show.pid, SIGINT);
    ASSERT_TRUE(WaitForEnd(show, 20));
    ExpectGracefulEnding(show);
}

TEST_F(EndToEnd, WindowCloseRequestEndsGracefully) {
    const std::string window = StartAndWaitForFrames(OnDisplay());
    RunCommand(std::string(TROMVISK_SEND_CLOSE) + " " + window);
    ASSERT_TRUE(WaitForEnd(show, 20));
    ExpectGracefulEnding(show);
}

TEST_F(EndToEnd, FTogglesToAWindowThatStaysAWindowWhenResized) {
    const std::string window = StartAndWaitForFrames(OnDisplay());
    RunCommand("xdotool key --window " + window + " f");
    ASSERT_TRUE(WaitForTraceLine(show, "toggle 1 fullscreen=0", 1, 10))
        << "f did not switch to a window";
    RunCommand("xdotool windowsize " + window + " 640 400");
    ASSERT_TRUE(WaitForTraceLine(show, "mode 640 400 16 0x20000012 ok", 1, 10))
        << "the resize did not re-create a windowed mode";
    EXPECT_TRUE(WaitForTraceLine(show, "viewport 0 0 640 400", 1, 10));
    EXPECT_TRUE(WaitForTraceLine(show, "perspective 45 1.600000 1 150", 1, 10))
        << "the projection follows the new size";
    const std::vector<std::string> before = TraceLines(show);
    const size_t framesBefore = std::count(before.begin(), before.end(), "swap");
    EXPECT_TRUE(WaitForTraceLine(show, "swap", int(framesBefore) + 3, 10))
        << "frames stopped after the resize";
    RunCommand("xdotool key --window " + window + " f");
    EXPECT_TRUE(WaitForTraceLine(show, "toggle 1 fullscreen=1", 1, 10));
    RunCommand("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(WaitForEnd(show, 20));
    EXPECT_EQ(ExitCode(show), 0);
    // The window lets the pointer go; full screen leaves the grab to the media layer.
    const std::vector<std::string> lines = TraceLines(show);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "toggle 1 fullscreen=0") {
            EXPECT_EQ(lines[i + 1], "grab 0 -> 0");
        } else if (lines[i] == "toggle 1 fullscreen=1") {
            EXPECT_EQ(lines[i + 1].rfind("grab", 0), std::string::npos) << lines[i + 1];
        }
    }
}

TEST_F(EndToEnd, ShowEndsByItselfPast107SecondsWithAFade) {
    ShowOptions options = OnDisplay();
    options.set.push_back({"TROMVISK_TEST_CLOCK_OFFSET_MS", "105500"});
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 30));
    EXPECT_EQ(ExitCode(show), 0);
    const std::vector<std::string> lines = TraceLines(show);
    ASSERT_GE(lines.size(), 4u);
    const std::vector<std::string> ending(lines.end() - 4, lines.end());
    EXPECT_EQ(ending, (std::vector<std::string>{"fade_channels -1 1000", "fade_music 1000",
                                                "delay 1000", "sdl_quit"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "free_music"), 0)
        << "the music is freed only when main returns";
    EXPECT_GT(std::count(lines.begin(), lines.end(), "swap"), 0);
}

TEST_F(EndToEnd, WholeShowRunsThroughEveryActAndEndsByItself) {
    ShowOptions options = OnDisplay();
    // Ten times real speed: every window of the show, even the one-second
    // glyph slots, still gets frames of its own.
    options.set.push_back({"TROMVISK_TEST_CLOCK_SCALE", "10"});
    show = StartShow(options);
    ASSERT_TRUE(WaitForTraceLine(show, "swap", 1, 20));
    // Resident memory across the show, sampled until the fade begins.
    std::vector<long> resident;
    for (long kilobytes; (kilobytes = ResidentKilobytes(show)) > 0;) {
        const std::vector<std::string> lines = TraceLines(show);
        if (std::find(lines.begin(), lines.end(), "fade_music 1000") != lines.end()) {
            break;
        }
        resident.push_back(kilobytes);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(WaitForEnd(show, 60));
    ASSERT_GE(resident.size(), 20u);
    const auto half = resident.begin() + resident.size() / 2;
    const long firstHalf = *std::max_element(resident.begin(), half);
    const long secondHalf = *std::max_element(half, resident.end());
    EXPECT_LE(secondHalf - firstHalf, 4096) << "memory grew over the show (kB)";
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    const std::vector<std::string> lines = TraceLines(show);
    EXPECT_GT(std::count(lines.begin(), lines.end(), "swap"), 200);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.back(), "sdl_quit");
    EXPECT_EQ(ReadFile(show.stderrPath), "");
}

} // namespace
