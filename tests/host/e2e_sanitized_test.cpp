// The whole show built with AddressSanitizer and UndefinedBehaviorSanitizer:
// every act, the keys and the endings run with no report.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "e2e_fixture.h"

namespace {

using Sanitized = EndToEnd;

ShowOptions SanitizedShow() {
    ShowOptions options = OnDisplay();
    options.binary = TROMVISK_SANITIZED_BINARY;
    // The clock library is preloaded ahead of the sanitizer's runtime; the
    // drivers' own leaks at exit are memcheck's business, not this run's.
    options.set.push_back({"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"});
    options.set.push_back({"UBSAN_OPTIONS", "print_stacktrace=1"});
    return options;
}

void ExpectNoReport(const ShowProcess& show) {
    const std::string errors = ReadFile(show.stderrPath);
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
}

TEST_F(Sanitized, WholeShowRunsWithNoReport) {
    ShowOptions options = SanitizedShow();
    options.set.push_back({"TROMVISK_TEST_CLOCK_SCALE", "15"});
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 120));
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    ExpectNoReport(show);
    EXPECT_EQ(TraceLines(show).back(), "sdl_quit");
}

TEST_F(Sanitized, KeysResizeAndQuitRequestWithNoReport) {
    const std::string window = StartAndWaitForFrames(SanitizedShow());
    RunCommand("xdotool key --window " + window + " f");
    RunCommand("xdotool windowsize " + window + " 500 400");
    RunCommand("xdotool key --window " + window + " f");
    kill(show.pid, SIGTERM);
    ASSERT_TRUE(WaitForEnd(show, 60));
    ExpectGracefulEnding(show);
    ExpectNoReport(show);
}

} // namespace
