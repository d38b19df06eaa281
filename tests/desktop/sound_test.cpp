// The real show's music through a sound server: what reaches the server's
// null sink, recorded from its monitor, is the show's own mix sample for
// sample, and a termination signal fades it to silence before the exit.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "desktop_fixture.h"
#include "pcm_compare.h"

namespace {

constexpr double kPlaySeconds = 5.0;     // of music before the signal
constexpr double kComparedSeconds = 4.0; // from the first sound on
constexpr int kBlockFrames = 1024;       // about 23 ms
constexpr double kMaxGapSeconds = 1.0;   // the longest gap looked past
// Of the blocks, found sample for sample: on an idle machine all are found; a
// machine loaded far beyond its cores loses some to gaps.
constexpr double kMinMatchedShare = 0.75;
constexpr double kWindowSeconds = 0.05; // steps in which the final silence is found
constexpr double kSilence = 1e-4;       // of full scale
// The fade is one second of the mix; gaps and losses under load stretch or
// shorten it in the recording.
constexpr double kFadeSeconds = 1.0;
constexpr double kMinFadeSeconds = 0.7;
constexpr double kMaxFadeSeconds = 1.4;
constexpr double kEdgeSeconds = 0.1;  // levels compared just before the fade and at its end
constexpr double kMaxEndLevel = 0.25; // of the level before it

// Records the null sink's monitor into a raw file while it lives. Without a
// short latency the recorder drops the last second and more of what it heard.
class SinkRecording {
  public:
    explicit SinkRecording(const std::string& path) {
        pid_ = fork();
        if (pid_ == 0) {
            execlp("parec", "parec", "--device=probe.monitor", "--rate=44100", "--channels=2",
                   "--format=s16le", "--latency-msec=10", "--raw", path.c_str(), nullptr);
            _exit(127);
        }
    }
    SinkRecording(const SinkRecording&) = delete;
    SinkRecording& operator=(const SinkRecording&) = delete;
    ~SinkRecording() { Stop(); }

    // Stops the recorder the way a user would (an interrupt: it writes out
    // what it has); true when it ended by itself.
    bool Stop() {
        if (pid_ <= 0) {
            return true;
        }
        kill(pid_, SIGINT);
        for (int tries = 0; tries < 100; ++tries) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return false;
    }

  private:
    pid_t pid_ = -1;
};

long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? long(info.st_size) : -1;
}

class DesktopSound : public Desktop {
  protected:
    // The show's own mix of its first `seconds`, as SDL's disk audio driver
    // writes it (faster than real time), ended by a signal once it is written.
    std::vector<StereoFrame> OwnMix(double seconds) {
        ShowOptions options = HeldOnDesktop();
        options.set.push_back({"SDL_AUDIODRIVER", "disk"});
        options.set.push_back({"SDL_DISKAUDIOFILE", "sound.raw"});
        options.set.push_back({"SDL_DISKAUDIODELAY", "2"});
        show = StartShow(options);
        const long wanted = long(seconds * kSampleRate) * long(sizeof(StereoFrame));
        for (int tries = 0; tries < 1000 && FileSize(show.dir + "/sound.raw") < wanted; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(show.pid, SIGTERM);
        EXPECT_TRUE(WaitForEnd(show, 20));
        EXPECT_EQ(ExitCode(show), 0);
        std::vector<StereoFrame> mix = FramesOf(ReadFile(show.dir + "/sound.raw"));
        StopShow(show);
        EXPECT_GE(long(mix.size()), long(seconds * kSampleRate))
            << "the disk driver wrote too little";
        return mix;
    }
};

TEST_F(DesktopSound, TheMusicReachesTheServerAsTheShowMixedItAndFadesOnTermination) {
    const std::vector<StereoFrame> reference = OwnMix(kPlaySeconds + 3 * kFadeSeconds);
    const long onset = FirstSound(reference);
    ASSERT_GE(onset, 0) << "the show's own mix is silent";

    char recordingDir[] = "/tmp/tromvisk-recording-XXXXXX";
    ASSERT_NE(mkdtemp(recordingDir), nullptr);
    const std::string recordingPath = std::string(recordingDir) + "/sink.raw";
    std::vector<StereoFrame> recording;
    {
        SinkRecording recorder(recordingPath);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        StartAndWaitForFrames(HeldOnDesktop());
        EXPECT_NE(RunCommand("pactl list sink-inputs").find("application.name = \"tromvisk\""),
                  std::string::npos)
            << "the show is not playing through the sound server";
        std::this_thread::sleep_for(std::chrono::duration<double>(kPlaySeconds));
        kill(show.pid, SIGTERM);
        ASSERT_TRUE(WaitForEnd(show, 20));
        ExpectGracefulEnding(show);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_TRUE(recorder.Stop());
        recording = FramesOf(ReadFile(recordingPath));
    }
    RunCommand(std::string("rm -rf ") + recordingDir);
    ASSERT_GT(recording.size(), std::size_t(kPlaySeconds * kSampleRate)) << "recorded too little";

    // Sample for sample, allowing for gaps in the recording.
    const long compared = long(kComparedSeconds * kSampleRate);
    const BlockMatch match = MatchBlocks(reference, recording, onset, onset + compared,
                                         kBlockFrames, long(kMaxGapSeconds * kSampleRate));
    std::printf("blocks %d matched %d shifts %d offsets %ld..%ld missed at", match.blocks,
                match.matched, match.shifts, match.firstOffset, match.lastOffset);
    for (const long block : match.missed) {
        std::printf(" %.3f s", double(block - onset) / kSampleRate);
    }
    std::printf("\n");
    ASSERT_GT(match.matched, 0) << "the show's mix is nowhere in the recording";
    EXPECT_GE(match.matched, kMinMatchedShare * match.blocks)
        << match.matched << " of " << match.blocks << " blocks found sample for sample, "
        << match.shifts << " gaps";

    // The fade, in the recording alone: from the end of the last stretch
    // that is still the unfaded mix sample for sample to the final silence.
    const BlockMatch untilFade = MatchBlocks(reference, recording, onset, long(reference.size()),
                                             kBlockFrames, long(kMaxGapSeconds * kSampleRate));
    const long fadeFrom = untilFade.lastMatchEnd;
    const long window = long(kWindowSeconds * kSampleRate);
    long silentFrom = long(recording.size());
    while (silentFrom > 0 && Level(recording, silentFrom - window, window) < kSilence) {
        silentFrom -= window;
    }
    ASSERT_LT(silentFrom + window, long(recording.size()))
        << "the recording does not end in silence";
    ASSERT_GT(fadeFrom, 0);
    const double fadeSeconds = double(silentFrom - fadeFrom) / kSampleRate;
    const long edge = long(kEdgeSeconds * kSampleRate);
    const double before = Level(recording, fadeFrom - edge, edge);
    const double last = Level(recording, silentFrom - edge, edge);
    std::printf("fade %.3f s, level %.4f before it and %.4f at its end\n", fadeSeconds, before,
                last);
    EXPECT_GE(fadeSeconds, kMinFadeSeconds) << "the level falls to silence over about a second";
    EXPECT_LE(fadeSeconds, kMaxFadeSeconds) << "the level falls to silence over about a second";
    EXPECT_GT(before, 0.01) << "music was playing";
    EXPECT_LT(last, kMaxEndLevel * before) << "cut off before the level fell";
}

} // namespace
