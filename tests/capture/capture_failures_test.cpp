// The real tromvisk-capture stopped or failing: one line and the right status,
// nothing half-written left behind, an earlier file kept.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "capture_process.h"

namespace {

class CaptureFailure : public ::testing::Test {
  protected:
    void SetUp() override { folder = FreshFolder("capture-fail"); }
    void TearDown() override { RemoveFolder(folder); }

    // One line naming `needle`, the status, and nothing left in the folder.
    void ExpectFailure(const std::vector<std::string>& arguments, int status,
                       const std::string& needle,
                       const std::vector<std::string>& environment = {}) {
        const CaptureRun run = RunCaptureBinary(arguments, environment);
        EXPECT_EQ(run.exitCode, status) << run.errors;
        EXPECT_NE(run.errors.find(needle), std::string::npos) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        EXPECT_EQ(run.errors.rfind("tromvisk-capture: ", 0), 0u) << run.errors;
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>()) << run.errors;
    }

    std::string folder;
};

// A short range at a small size: quick, and long enough to interrupt.
std::vector<std::string> Small(const std::string& output, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = {"--size", "64x48", "--fps", "10", "--aa", "1"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.push_back(output);
    return arguments;
}

TEST_F(CaptureFailure, BadUsageIsStatusTwo) {
    ExpectFailure({"--size", "0x10", folder + "/a.mp4"}, 2, "--size");
    ExpectFailure({"--fps", "0", folder + "/a.mp4"}, 2, "--fps");
    ExpectFailure({"--fps", "fast", folder + "/a.mp4"}, 2, "--fps");
    ExpectFailure({"--motion-rate", "0", folder + "/a.mp4"}, 2, "--motion-rate");
    ExpectFailure({"--frobnicate", folder + "/a.mp4"}, 2, "--frobnicate");
    ExpectFailure({folder + "/a.avi"}, 2, "unknown format '.avi'");
    ExpectFailure({"--from", "200", folder + "/a.mp4"}, 2, "--from");
    ExpectFailure({}, 2, "OUTPUT");
}

TEST_F(CaptureFailure, HelpListsTheOptions) {
    const CaptureRun run = RunCaptureBinary({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
}

TEST_F(CaptureFailure, UnwritablePlacesMissingAndBrokenModules) {
    ExpectFailure(Small(folder + "/no/such/folder/a.mp4"), 1, "cannot write");
    WriteWhole(folder + "/plain", "a file, not a folder");
    const CaptureRun run = RunCaptureBinary(Small(folder + "/plain/a.mp4"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("cannot write"), std::string::npos) << run.errors;
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"plain"});
    unlink((folder + "/plain").c_str());

    ExpectFailure(Small(folder + "/a.mp4", {"--music", folder + "/missing.xm"}), 1, "missing.xm");
    const std::string broken = FreshFolder("broken") + "/broken.xm";
    WriteWhole(broken, "Extended Module: this is not a module at all");
    ExpectFailure(Small(folder + "/a.mp4", {"--music", broken}), 1, "broken.xm");
    ExpectFailure(Small(folder + "/frames", {"--music", broken}), 1, "broken.xm");
    RemoveFolder(broken.substr(0, broken.find_last_of('/')));
}

TEST_F(CaptureFailure, SizesAndLevelsTheCodecOrRendererCannotTake) {
    ExpectFailure({"--size", "321x240", "--no-music", folder + "/a.mp4"}, 1, "even");
    ExpectFailure({"--size", "64x48", "--aa", "6", "--no-music", folder + "/a.mp4"}, 1, "--aa 6");
    ExpectFailure({"--size", "64x48", "--preset", "sluggish", "--no-music", folder + "/a.mp4"}, 1,
                  "preset");
    ExpectFailure({"--size", "64x48", "--preset", "slow", "--no-music", folder + "/a.webm"}, 1,
                  "--preset");
}

TEST_F(CaptureFailure, NoOpenGlIsOneLine) {
    // No EGL vendor at all: the surfaceless platform is missing.
    ExpectFailure(Small(folder + "/a.mp4", {"--no-music"}), 1, "no OpenGL context",
                  {"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json"});
}

TEST_F(CaptureFailure, FullDiskIsOneLineAndLeavesNothing) {
    // A 300 kB file system of its own, in a private mount namespace.
    if (geteuid() != 0 || std::system("unshare -m true 2>/dev/null") != 0) {
        GTEST_SKIP() << "needs root and mount namespaces for a small file system";
    }
    for (const std::string output : {"show.mp4", "frames"}) {
        const std::string script =
            "unshare -m --propagation private sh -c 'mount -t tmpfs -o size=300k tmpfs " + folder +
            " && " TROMVISK_CAPTURE_BINARY " --size 320x240 --fps 30 --from 20 --to 30 " + folder +
            "/" + output + " 2>" + folder + "/errors; echo status $?; cat " + folder +
            "/errors; ls -A " + folder + "'";
        const std::string result = Shell(script);
        // The status, the one error line, and nothing but that file left.
        EXPECT_EQ(result.rfind("status 1\ntromvisk-capture: cannot write ", 0), 0u) << result;
        EXPECT_NE(result.find("No space left on device\nerrors\n"), std::string::npos) << result;
        EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 3) << result;
    }
}

// Waits until the capture's temporary file appears beside OUTPUT (it is
// working), then sends `signal`.
CaptureRun InterruptMidway(const std::string& folder, const std::string& output, int signal) {
    CaptureChild child = StartCapture(Small(output, {"--fps", "30", "--size", "320x240"}));
    for (int i = 0; i < 200; ++i) {
        bool writing = false;
        for (const std::string& name : FolderEntries(folder)) {
            writing = writing || name.find(".part-") != std::string::npos;
        }
        if (writing) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // well into the frames
    kill(child.pid, signal);
    const auto sent = std::chrono::steady_clock::now();
    CaptureRun run = WaitCapture(child);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2))
        << "it did not stop within a frame or so";
    return run;
}

TEST_F(CaptureFailure, InterruptLeavesNoFileAndKeepsAnEarlierOne) {
    const std::string earlier = folder + "/show.mp4";
    WriteWhole(earlier, "an earlier capture");
    const CaptureRun interrupted = InterruptMidway(folder, earlier, SIGINT);
    EXPECT_EQ(interrupted.exitCode, 130) << interrupted.errors;
    EXPECT_EQ(ReadWhole(earlier), "an earlier capture");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"show.mp4"});

    const CaptureRun terminated = InterruptMidway(folder, folder + "/new.mkv", SIGTERM);
    EXPECT_EQ(terminated.exitCode, 143) << terminated.errors;
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"show.mp4"});

    const CaptureRun frames = InterruptMidway(folder, folder + "/frames", SIGINT);
    EXPECT_EQ(frames.exitCode, 130) << frames.errors;
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"show.mp4"});
}

} // namespace
