// The real show under stress: signals at every phase of its life, storms of
// keys, resizes and mouse motion, and a standard output nobody reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "e2e_fixture.h"

namespace {

using Robust = EndToEnd;

// Runs the show with the clock library raising a signal at the named calls.
void RunWithSignalsAt(ShowProcess& show, const std::string& calls, int signal = SIGTERM,
                      const char* clockOffsetMs = "0") {
    ShowOptions options = OnDisplay();
    options.set.push_back({"TROMVISK_TEST_RAISE", calls});
    options.set.push_back({"TROMVISK_TEST_RAISE_SIGNAL", std::to_string(signal)});
    options.set.push_back({"TROMVISK_TEST_CLOCK_OFFSET_MS", clockOffsetMs});
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 30)) << "hung after a signal at " << calls;
}

TEST_F(Robust, SignalBeforeTheMediaLayerIsUpBecomesAQuitRequest) {
    RunWithSignalsAt(show, "sdl_init");
    ExpectGracefulEnding(show);
    RunWithSignalsAt(show, "sdl_init", SIGINT);
    ExpectGracefulEnding(show);
}

TEST_F(Robust, SignalsDuringEachStepOfStartUpAreQuitRequests) {
    for (const char* step : {"mode", "open_audio", "load_music", "cursor"}) {
        SCOPED_TRACE(step);
        RunWithSignalsAt(show, step);
        ExpectGracefulEnding(show);
        StopShow(show);
    }
}

TEST_F(Robust, SecondSignalDuringTheFadeChangesNothing) {
    RunWithSignalsAt(show, "swap@30,fade_music,delay");
    ExpectGracefulEnding(show);
    RunWithSignalsAt(show, "swap@30,close_audio", SIGINT);
    ExpectGracefulEnding(show);
}

TEST_F(Robust, SignalsDuringTheFadeAtTheEndOfTheShowStillEndItCleanly) {
    RunWithSignalsAt(show, "fade_music,delay", SIGTERM, "106900");
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    const std::vector<std::string> lines = TraceLines(show);
    EXPECT_EQ(lines.back(), "sdl_quit");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "free_music"), 0)
        << "the end of the show does not take the quit-request path";
}

// Under a bare X server some presses are lost while a toggle is under way:
// the show must take every press that arrives, alternately, and keep drawing.
TEST_F(Robust, HundredsOfFPressesLeaveTheShowRunning) {
    const std::string window = StartAndWaitForFrames(OnDisplay());
    RunCommand("xdotool key --window " + window + " --repeat-delay 5 --repeat 200 f");
    ExpectFramesThenGracefulEndOn(SIGTERM);
    int toggles = 0;
    for (const std::string& line : TraceLines(show)) {
        if (line.rfind("toggle", 0) == 0) {
            const std::string expected =
                toggles % 2 == 0 ? "toggle 1 fullscreen=0" : "toggle 1 fullscreen=1";
            ASSERT_EQ(line, expected) << "press " << toggles;
            ++toggles;
        }
    }
    EXPECT_GE(toggles, 10); // about 50 arrive on an idle machine
}

TEST_F(Robust, HeldKeyTogglesOnceAndMouseFloodsAreIgnored) {
    const std::string window = StartAndWaitForFrames(OnDisplay());
    RunCommand("xdotool keydown --window " + window + " f; sleep 1; xdotool keyup --window " +
               window + " f");
    for (int i = 0; i < 20; ++i) {
        RunCommand("xdotool mousemove --window " + window + " " + std::to_string(10 + 30 * i) +
                   " " + std::to_string(5 + 25 * i) + " click 1");
    }
    ExpectFramesThenGracefulEndOn(SIGINT);
    const std::vector<std::string> lines = TraceLines(show);
    const long toggles = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("toggle", 0) == 0;
    });
    EXPECT_EQ(toggles, 1) << "a held key is one press";
}

// X delivers a burst of resizes asynchronously, and each new mode resizes the
// window again, so the size the burst settles on is the window system's
// business (the last of many resizes in one drain is tested in-process).
// Here: a burst never stops the show, and mode and view stay in step.
TEST_F(Robust, BurstOfWindowResizesKeepsTheShowRunning) {
    const std::string window = StartAndWaitForFrames(OnDisplay());
    RunCommand("xdotool key --window " + window + " f");
    ASSERT_TRUE(WaitForTraceLine(show, "toggle 1 fullscreen=0", 1, 10));
    for (int i = 0; i < 30; ++i) {
        RunCommand("xdotool windowsize " + window + " " + std::to_string(300 + 13 * i) + " " +
                   std::to_string(200 + 7 * i));
    }
    ExpectFramesThenGracefulEndOn(SIGTERM);
    const std::vector<std::string> lines = TraceLines(show);
    int resizes = 0;
    for (size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i].rfind("mode", 0) != 0 || lines[i] == "mode 800 600 16 0xa0000012 ok") {
            continue; // not a mode change, or the opening one
        }
        int w = 0, h = 0;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "mode %d %d 16 0x20000012 ok", &w, &h), 2)
            << "a resized window must stay a window: " << lines[i];
        EXPECT_EQ(lines[i + 1], "grab 0 -> 0") << "a resized window lets the pointer go";
        EXPECT_EQ(lines[i + 2], "viewport 0 0 " + std::to_string(w) + " " + std::to_string(h));
        ++resizes;
    }
    EXPECT_GT(resizes, 0);
}

// A pipe for the show's standard output, read by the test.
struct OutputPipe {
    int reader = -1, writer = -1;
    OutputPipe() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) == 0) {
            reader = ends[0];
            writer = ends[1];
        }
    }
    ~OutputPipe() {
        CloseReader();
        CloseWriter();
    }
    void CloseReader() { Close(reader); }
    void CloseWriter() { Close(writer); }
    static void Close(int& end) {
        if (end >= 0) {
            close(end);
            end = -1;
        }
    }
    // Reads one line (or what there is until the writer goes), then goes away.
    std::string ReadLineAndLeave() {
        std::string line;
        for (char c; read(reader, &c, 1) == 1 && c != '\n';) {
            line += c;
        }
        CloseReader();
        return line;
    }
};

constexpr const char* kFirstCreditLine = "             Tromvisk                 ";

ShowOptions IntoPipe(OutputPipe& pipe, ShowOptions options = OnDisplay()) {
    options.stdoutDescriptor = pipe.writer;
    return options;
}

// Waits for a few frames; on failure, says how the show ended.
::testing::AssertionResult DrawsFrames(ShowProcess& show) {
    if (WaitForTraceLine(show, "swap", 3, 20)) {
        return ::testing::AssertionSuccess();
    }
    WaitForEnd(show, 0);
    return ::testing::AssertionFailure()
           << "no frames; exit " << ExitCode(show) << ", signal " << TermSignal(show);
}

ShowOptions WithoutSound() {
    ShowOptions options = OnDisplay();
    options.set = {{"SDL_AUDIODRIVER", "no-such-driver"}};
    return options;
}

// Printing the credits is not what the show is for: a reader of its standard
// output that is gone, or goes, changes nothing.
TEST_F(Robust, ReaderOfTheCreditsGoneBeforeTheStart) {
    OutputPipe pipe;
    pipe.CloseReader();
    show = StartShow(IntoPipe(pipe));
    pipe.CloseWriter();
    ASSERT_TRUE(DrawsFrames(show));
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(Robust, ReaderOfTheCreditsLeavesAfterOneLine) {
    OutputPipe pipe;
    ShowOptions options = IntoPipe(pipe);
    // Held before the second line until the reader has gone.
    options.set.push_back({"TROMVISK_TEST_RAISE", "flush_stdout@2"});
    options.set.push_back({"TROMVISK_TEST_RAISE_SIGNAL", std::to_string(SIGSTOP)});
    show = StartShow(options);
    pipe.CloseWriter();
    EXPECT_EQ(pipe.ReadLineAndLeave(), kFirstCreditLine);
    ASSERT_EQ(waitpid(show.pid, &show.status, WUNTRACED), show.pid);
    if (!WIFSTOPPED(show.status)) {
        show.pid = -1;
        FAIL() << "ended before the second line, signal " << TermSignal(show);
    }
    kill(show.pid, SIGCONT);
    ASSERT_TRUE(DrawsFrames(show));
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

// The "bajs" of a show without sound is written at exit, when the reader is long gone.
TEST_F(Robust, NoSoundAndAReaderThatLeavesStillEndsTheShowWithSuccess) {
    OutputPipe pipe;
    ShowOptions options = IntoPipe(pipe, WithoutSound());
    options.set.push_back({"TROMVISK_TEST_CLOCK_OFFSET_MS", "105000"});
    show = StartShow(options);
    pipe.CloseWriter();
    EXPECT_EQ(pipe.ReadLineAndLeave(), kFirstCreditLine);
    ASSERT_TRUE(WaitForEnd(show, 30));
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    const std::vector<std::string> lines = TraceLines(show);
    EXPECT_GT(std::count(lines.begin(), lines.end(), "swap"), 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "sdl_quit") << "the show ended by itself";
}

// With standard output closed, the X connection would take its number and the
// "bajs" at exit would go there.
TEST_F(Robust, ClosedStandardOutputIsTheNullDeviceNotALibrarysDescriptor) {
    ShowOptions options = WithoutSound();
    options.stdoutDescriptor = kOutputClosed;
    show = StartShow(options);
    ASSERT_TRUE(DrawsFrames(show));
    EXPECT_EQ(RunCommand("readlink /proc/" + std::to_string(show.pid) + "/fd/1"), "/dev/null");
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

// Short of memory, the GL library cannot load its driver and the X library's
// error handler ends the process inside the window's creation: the show's own
// line still comes out, last.
TEST_F(Robust, UnderAMemoryLimitTheShowsOwnErrorLineComesOutLast) {
    ShowOptions options = OnDisplay();
    options.addressSpaceBytes = 128L << 20;
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 30));
    EXPECT_EQ(ExitCode(show), 1) << "signal " << TermSignal(show);
    const std::vector<std::string> errors = Lines(ReadFile(show.stderrPath));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().rfind("Failed", 0), 0u) << errors.back();
}

// A window manager that answers every mode set with a resize: the show ends
// with its error line, or, with a termination signal during the storm, as usual.
TEST_F(Robust, ResizeStormEndsWithAnErrorLineOrAsUsualOnASignal) {
    ShowOptions options = OnDisplay();
    options.set.push_back({"TROMVISK_TEST_RESIZE_STORM", "1"});
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 20)) << "the storm never ended";
    EXPECT_EQ(ExitCode(show), 1) << "signal " << TermSignal(show);
    EXPECT_EQ(ReadFile(show.stderrPath),
              " Failed resizing SDL window : the window size does not settle\n");
    StopShow(show);

    options.set.push_back({"TROMVISK_TEST_RAISE", "mode@5"});
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 20)) << "the storm never ended";
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    std::vector<std::string> ending = TraceFrom(show, "swap");
    ending.erase(std::remove(ending.begin(), ending.end(), "delay 100"),
                 ending.end()); // the mixer's
    EXPECT_EQ(ending,
              (std::vector<std::string>{"swap", "fade_channels -1 1000", "fade_music 1000",
                                        "delay 1000", "free_music", "close_audio", "sdl_quit"}))
        << "one frame, then the ending of a quit request";
}

} // namespace
