// The installed launcher on the test's display, with the test-only clock
// library: from any folder, through a link, from a moved tree and from the
// unpacked Debian package it runs the installed show with the installed
// music, and the show's endings and exit status come through it unchanged.
// A broken data folder is the launcher's own one-line error.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "installed_tree.h"

namespace {

// The clock starts in the end title, so a run lasts about three and a half
// seconds, time enough for frames even when start-up is slow on a busy machine.
constexpr const char* kLateInTheShowMs = "104500";
constexpr const char* kFirstCreditsLine = "             Tromvisk                 ";
constexpr std::size_t kCreditsLines = 12;

class InstalledLauncher : public EndToEnd {
  protected:
    // A private copy of the install, so that a test may move or break it.
    std::string CopyOfInstall() {
        const std::string prefix = folder.path() + "/tree";
        CopyTree(InstalledPrefix(), prefix);
        return prefix;
    }

    // The show through `launcher`, in an empty working directory of its own
    // (no demo.xm there), mixing its sound into a file.
    ShowOptions Through(const std::string& launcher) {
        launcherPath = launcher;
        ShowOptions options = OnDisplay();
        options.withMusic = false;
        options.binary = launcherPath.c_str();
        options.set[0] = {"SDL_AUDIODRIVER", "disk"};
        options.set.push_back({"SDL_DISKAUDIOFILE", folder.path() + "/sound.raw"});
        return options;
    }

    // Runs the show late in the end title to its own end and expects the
    // whole of it: credits, the installed music loaded and heard, frames,
    // and status 0.
    void ExpectWholeRunThrough(const std::string& launcher) {
        ShowOptions options = Through(launcher);
        options.set.push_back({"TROMVISK_TEST_CLOCK_OFFSET_MS", kLateInTheShowMs});
        show = StartShow(options);
        ASSERT_TRUE(WaitForEnd(show, 40)) << launcher << ": hung";
        EXPECT_EQ(ExitCode(show), 0) << launcher << ": signal " << TermSignal(show) << "\n"
                                     << ReadFile(show.stderrPath);
        const std::vector<std::string> credits = Lines(ReadFile(show.stdoutPath));
        ASSERT_EQ(credits.size(), kCreditsLines) << launcher;
        EXPECT_EQ(credits[0], kFirstCreditsLine);
        const std::vector<std::string> trace = TraceLines(show);
        EXPECT_NE(std::find(trace.begin(), trace.end(), "load_music demo.xm ok"), trace.end())
            << launcher << ": the installed demo.xm was not loaded";
        EXPECT_NE(std::find(trace.begin(), trace.end(), "play_music 0 -> 0"), trace.end());
        EXPECT_GE(std::count(trace.begin(), trace.end(), "swap"), 1) << launcher << ": no frame";
        EXPECT_EQ(trace.empty() ? "" : trace.back(), "sdl_quit");
        const std::string sound = ReadFile(folder.path() + "/sound.raw");
        EXPECT_GT(sound.size(), 44100u) << "at least a quarter second of sound";
        EXPECT_NE(sound.find_first_not_of('\0'), std::string::npos) << "the music was not heard";
        StopShow(show);
    }

    TempFolder folder;
    std::string launcherPath;
};

TEST_F(InstalledLauncher, PlaysTheInstalledShowFromAnUnrelatedFolder) {
    ExpectWholeRunThrough(CopyOfInstall() + "/bin/tromvisk");
}

TEST_F(InstalledLauncher, PlaysThroughASymbolicLink) {
    const std::string prefix = CopyOfInstall();
    ASSERT_EQ(Shell("mkdir " + Quoted(folder.path() + "/links") +
                    " && ln -s ../tree/bin/tromvisk " + Quoted(folder.path() + "/links/demo") +
                    " && ln -s " + Quoted(folder.path() + "/links/demo") + " " +
                    Quoted(folder.path() + "/again"))
                  .status,
              0);
    ExpectWholeRunThrough(folder.path() + "/links/demo");
    ExpectWholeRunThrough(folder.path() + "/again"); // a link to a link
}

TEST_F(InstalledLauncher, PlaysAfterTheWholeTreeIsMoved) {
    const std::string prefix = CopyOfInstall();
    const std::string moved = folder.path() + "/somewhere else/tromvisk";
    ASSERT_EQ(Shell("mkdir -p " + Quoted(folder.path() + "/somewhere else") + " && mv " +
                    Quoted(prefix) + " " + Quoted(moved))
                  .status,
              0);
    ExpectWholeRunThrough(moved + "/bin/tromvisk");
}

TEST_F(InstalledLauncher, UnpackedDebianPackagePlaysTheShow) {
    const std::string root = folder.path() + "/root";
    const CommandResult unpack =
        Shell("dpkg-deb -x " + Quoted(DebianPackage()) + " " + Quoted(root));
    ASSERT_EQ(unpack.status, 0) << unpack.err;
    ExpectWholeRunThrough(root + "/usr/games/tromvisk");
}

TEST_F(InstalledLauncher, EscapeEndsAtOnceWithStatusZero) {
    const std::string window = StartAndWaitForFrames(Through(CopyOfInstall() + "/bin/tromvisk"));
    ASSERT_FALSE(window.empty());
    RunCommand("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(WaitForEnd(show, 5)) << "Escape did not end the show at once";
    EXPECT_EQ(ExitCode(show), 0) << "signal " << TermSignal(show);
    const std::vector<std::string> trace = TraceLines(show);
    EXPECT_EQ(std::find(trace.begin(), trace.end(), "delay 1000"), trace.end()) << "no fade";
}

TEST_F(InstalledLauncher, TerminationSignalReachesTheShowAndFades) {
    StartAndWaitForFrames(Through(CopyOfInstall() + "/bin/tromvisk"));
    // The launcher became the show: the signal goes to the show itself.
    ExpectFramesThenGracefulEndOn(SIGTERM);
}

TEST_F(InstalledLauncher, NoDisplayGivesTheShowsFailureStatus) {
    ShowOptions options = Through(CopyOfInstall() + "/bin/tromvisk");
    const std::string runtimeDir = folder.path() + "/runtime"; // no Wayland socket in it
    Shell("mkdir -m 700 " + Quoted(runtimeDir));
    options.set.push_back({"XDG_RUNTIME_DIR", runtimeDir});
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
    show = StartShow(options);
    ASSERT_TRUE(WaitForEnd(show, 20));
    EXPECT_EQ(ExitCode(show), 1);
    EXPECT_EQ(Lines(ReadFile(show.stdoutPath)).size(), kCreditsLines);
    EXPECT_EQ(ReadFile(show.stderrPath), "Failed initializing SDL Video : no display available\n");
}

// The data folder broken in each way; root runs the launcher as nobody, for
// whom modes count.
class BrokenDataFolder : public ::testing::Test {
  protected:
    void ExpectLauncherError(const std::string& breakIt, const std::string& what) {
        TempFolder folder;
        const std::string prefix = folder.path() + "/tree";
        CopyTree(InstalledPrefix(), prefix);
        const std::string data = prefix + "/share/tromvisk";
        ASSERT_EQ(Shell("cd " + Quoted(prefix) + " && " + breakIt).status, 0) << what;
        const std::string asUser =
            geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
        const CommandResult run = Shell("cd / && " + asUser + Quoted(prefix + "/bin/tromvisk"));
        EXPECT_EQ(run.status, 1) << what;
        EXPECT_EQ(run.out, "") << what << ": the show must not start";
        EXPECT_EQ(run.err, "tromvisk: cannot read the show's data folder " + data +
                               " (it should hold demo.xm): reinstall Tromvisk\n")
            << what;
    }
};

TEST_F(BrokenDataFolder, MissingFolderOrMusic) {
    ExpectLauncherError("rm -r share/tromvisk", "no data folder");
    ExpectLauncherError("rm -r share/tromvisk && touch share/tromvisk", "a file for a folder");
    ExpectLauncherError("rm share/tromvisk/demo.xm", "no demo.xm");
    ExpectLauncherError("rm share/tromvisk/demo.xm && mkdir share/tromvisk/demo.xm",
                        "a folder for demo.xm");
}

TEST_F(BrokenDataFolder, UnreadableFolderOrMusic) {
    ExpectLauncherError("chmod 0 share/tromvisk", "a folder nobody may enter");
    ExpectLauncherError("chmod 0 share/tromvisk/demo.xm", "a demo.xm nobody may read");
}

} // namespace
