// The installed capture program, when the build has one: from a moved tree
// and from the unpacked Debian package it finds the installed demo.xm by
// itself and records it with the pictures.
#include <gtest/gtest.h>

#include <string>

#include "installed_tree.h"
#include "show_process.h"

namespace {

constexpr std::size_t kWavHeader = 44;
constexpr std::size_t kTwoSecondsOfSound = 2 * 44100 * 2 * 2; // stereo, 16-bit

void ExpectCaptureWithTheInstalledMusic(const std::string& capture, const std::string& out) {
    const CommandResult run =
        Shell("cd / && " + Quoted(capture) + " --size 64x48 --fps 10 --from 0 --to 2 --quiet " +
              Quoted(out));
    ASSERT_EQ(run.status, 0) << capture << ": " << run.err;
    EXPECT_EQ(run.err, "");
    const std::string sound = ReadFile(out + "/music.wav");
    EXPECT_GE(sound.size(), kWavHeader + kTwoSecondsOfSound * 9 / 10) << capture;
    EXPECT_NE(sound.find_first_not_of('\0', kWavHeader), std::string::npos)
        << capture << ": the music is silent";
    EXPECT_EQ(Shell("test -s " + Quoted(out + "/frame_000000.png")).status, 0) << capture;
}

TEST(InstalledCapture, FindsTheInstalledMusicAfterTheTreeIsMoved) {
    TempFolder folder;
    CopyTree(InstalledPrefix(), folder.path() + "/first");
    ASSERT_EQ(
        Shell("mv " + Quoted(folder.path() + "/first") + " " + Quoted(folder.path() + "/moved"))
            .status,
        0);
    ExpectCaptureWithTheInstalledMusic(folder.path() + "/moved/bin/tromvisk-capture",
                                       folder.path() + "/frames");
}

TEST(InstalledCapture, FindsThePackagedMusicWhenUnpacked) {
    TempFolder folder;
    const std::string root = folder.path() + "/root";
    ASSERT_EQ(Shell("dpkg-deb -x " + Quoted(DebianPackage()) + " " + Quoted(root)).status, 0);
    ExpectCaptureWithTheInstalledMusic(root + "/usr/games/tromvisk-capture",
                                       folder.path() + "/frames");
}

} // namespace
