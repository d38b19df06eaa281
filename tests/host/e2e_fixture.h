// What the end-to-end tests share: a fixture that runs the real show on the
// test's X display, and the expected shape of a graceful ending.
#pragma once

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "show_process.h"

// A show with a silent but working sound device, on the test's display.
inline ShowOptions OnDisplay() {
    ShowOptions options;
    options.set = {{"SDL_AUDIODRIVER", "dummy"}};
    options.unset = {"SDL_VIDEODRIVER"};
    return options;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The trace from the first line equal to `from` on.
inline std::vector<std::string> TraceFrom(const ShowProcess& show, const std::string& from) {
    const std::vector<std::string> lines = TraceLines(show);
    const auto start = std::find(lines.begin(), lines.end(), from);
    return {start, lines.end()};
}

// A quit request: the rest of the queue, one more frame, the fade, the wait,
// then the music freed, the device closed and the media layer shut down. The
// mixer itself may wait for the last steps of its fade while it frees the
// music: waits of its own (not the show's 1000 ms) are left out.
inline void ExpectGracefulEnding(const ShowProcess& show) {
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    std::vector<std::string> ending = TraceFrom(show, "event 12");
    ASSERT_FALSE(ending.empty()) << "no quit request arrived";
    ending.erase(std::remove_if(ending.begin(), ending.end(),
                                [](const std::string& line) {
                                    return line.rfind("event", 0) == 0 ||
                                           line.rfind("raise", 0) == 0 ||
                                           (line.rfind("delay", 0) == 0 && line != "delay 1000");
                                }),
                 ending.end());
    const std::vector<std::string> expected = {
        "swap",       "fade_channels -1 1000", "fade_music 1000", "delay 1000",
        "free_music", "close_audio",           "sdl_quit",
    };
    EXPECT_EQ(ending, expected);
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_FAIL() << "needs an X display: run through ./test.sh (it starts Xvfb)";
        }
    }
    void TearDown() override { StopShow(show); }

    // Starts the show and waits until it has presented a few frames.
    std::string StartAndWaitForFrames(const ShowOptions& options) {
        show = StartShow(options);
        EXPECT_TRUE(WaitForTraceLine(show, "swap", 3, 20)) << ReadFile(show.stderrPath);
        const std::string window = FindShowWindow(show, 10);
        EXPECT_FALSE(window.empty()) << "no window captioned bajs";
        return window;
    }

    // Expects a few more frames, then ends the show with `signal` and expects
    // the graceful ending of a quit request.
    void ExpectFramesThenGracefulEndOn(int signal) {
        const std::vector<std::string> before = TraceLines(show);
        const long frames = std::count(before.begin(), before.end(), "swap");
        EXPECT_TRUE(WaitForTraceLine(show, "swap", int(frames) + 5, 10)) << "frames stopped";
        kill(show.pid, signal);
        ASSERT_TRUE(WaitForEnd(show, 20));
        ExpectGracefulEnding(show);
    }

    ShowProcess show;
};
