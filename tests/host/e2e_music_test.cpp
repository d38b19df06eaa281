// The real show given a bad demo.xm: whatever the file holds, the show starts,
// runs and ends normally, in silence where the music cannot be played.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "e2e_fixture.h"

namespace {

// The clock starts late in the end title, so a run lasts about three seconds:
// time enough for a few frames even when start-up is slow on a loaded machine.
constexpr const char* kLateInTheShowMs = "105000";
constexpr std::size_t kSongHeaderEnd = 336; // where the first pattern starts

class BadMusic : public EndToEnd {
  protected:
    // Runs the show with demo.xm prepared by `prepare`, to its own end;
    // returns the sound it mixed.
    std::string RunWith(const std::function<void(const std::string& dir)>& prepare,
                        const std::string& what) {
        ShowOptions options = OnDisplay();
        options.prepare = prepare;
        options.set.push_back({"TROMVISK_TEST_CLOCK_OFFSET_MS", kLateInTheShowMs});
        // The mixed sound goes to a file in the working directory, to be
        // checked for noise at full scale.
        options.set[0] = {"SDL_AUDIODRIVER", "disk"};
        options.set.push_back({"SDL_DISKAUDIOFILE", "sound.raw"});
        show = StartShow(options);
        if (!WaitForEnd(show, 30)) {
            ADD_FAILURE() << what << ": hung";
            return "";
        }
        EXPECT_EQ(ExitCode(show), 0) << what << ": signal " << TermSignal(show);
        const std::vector<std::string> lines = TraceLines(show);
        EXPECT_GE(std::count(lines.begin(), lines.end(), "swap"), 3) << what;
        EXPECT_EQ(lines.empty() ? "" : lines.back(), "sdl_quit") << what;
        const std::string sound = ReadFile(show.dir + "/sound.raw");
        EXPECT_LT(FullScaleShare(sound), 0.01) << what;
        StopShow(show);
        return sound;
    }

    std::string RunWithBytes(const std::string& bytes, const std::string& what) {
        return RunWith([&](const std::string& dir) { WriteFile(dir + "/demo.xm", bytes); }, what);
    }

    // Share of 16-bit samples at full scale: a module gone wrong screams.
    static double FullScaleShare(const std::string& raw) {
        const std::size_t samples = raw.size() / 2;
        std::size_t full = 0;
        for (std::size_t i = 0; i < samples; ++i) {
            const auto low = static_cast<std::uint8_t>(raw[2 * i]);
            const auto high = static_cast<std::uint8_t>(raw[2 * i + 1]);
            const int value = static_cast<std::int16_t>(low | high << 8);
            full += value >= 32767 || value <= -32768;
        }
        return samples == 0 ? 0.0 : double(full) / double(samples);
    }
};

std::string WithField(std::string bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = char(value & 0xff);
    bytes[offset + 1] = char(value >> 8);
    return bytes;
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = char(random() & 0xff);
    }
    return bytes;
}

TEST_F(BadMusic, IntactModuleIsHeardThroughTheCapture) {
    const std::string sound = RunWithBytes(BuiltMusic(), "the built module");
    EXPECT_GT(sound.size(), 44100u) << "at least a quarter second of sound captured";
    EXPECT_NE(sound.find_first_not_of('\0'), std::string::npos) << "the capture is all silence";
}

TEST_F(BadMusic, EmptyAndTruncatedFilesAreSilent) {
    const std::string music = BuiltMusic();
    ASSERT_GT(music.size(), 20000u) << "the build writes demo.xm";
    RunWithBytes("", "empty file");
    for (std::size_t length :
         {std::size_t(17), std::size_t(60), std::size_t(100), kSongHeaderEnd, std::size_t(1000),
          std::size_t(13000), music.size() / 2, music.size() - 1}) {
        RunWithBytes(music.substr(0, length), "cut at " + std::to_string(length));
    }
}

TEST_F(BadMusic, GarbageAfterAValidHeaderAndRandomBytes) {
    const std::string music = BuiltMusic();
    RunWithBytes(music.substr(0, kSongHeaderEnd) + RandomBytes(100000, 1), "header and garbage");
    RunWithBytes(RandomBytes(200000, 2), "random bytes");
    RunWithBytes("Extended Module: " + RandomBytes(200000, 3), "random bytes after the id");
}

TEST_F(BadMusic, HeaderCountsThatLie) {
    const std::string music = BuiltMusic();
    struct Lie {
        std::size_t offset;
        std::uint16_t value;
        const char* what;
    };
    const Lie lies[] = {
        {64, 256, "song length 256"},
        {64, 0, "song length 0"},
        {68, 64, "64 channels"},
        {68, 0, "no channels"},
        {70, 256, "256 patterns"},
        {72, 128, "128 instruments"},
        {76, 0, "speed 0"},
        {78, 0, "tempo 0"},
        {60, 0xffff, "header size"},
        {kSongHeaderEnd + 5, 0xffff, "65535 rows"},
        {kSongHeaderEnd + 7, 0xffff, "pattern data size"},
    };
    for (const Lie& lie : lies) {
        RunWithBytes(WithField(music, lie.offset, lie.value), lie.what);
    }
}

TEST_F(BadMusic, NotARegularFileOrNotReadable) {
    RunWith([](const std::string& dir) { mkdir((dir + "/demo.xm").c_str(), 0755); }, "a directory");
    RunWith([](const std::string& dir) { mkfifo((dir + "/demo.xm").c_str(), 0644); },
            "a FIFO nobody writes to");
    RunWith(
        [](const std::string& dir) {
            WriteFile(dir + "/demo.xm", BuiltMusic());
            chmod((dir + "/demo.xm").c_str(), 0);
        },
        "no read permission");
}

TEST_F(BadMusic, VeryLargeFiles) {
    // Sparse files: two gigabytes on the file system, nothing on the disk.
    RunWith(
        [](const std::string& dir) {
            WriteFile(dir + "/demo.xm", BuiltMusic());
            ASSERT_EQ(truncate((dir + "/demo.xm").c_str(), 2LL << 30), 0);
        },
        "the module followed by two gigabytes of zeros");
    RunWith(
        [](const std::string& dir) {
            WriteFile(dir + "/demo.xm", BuiltMusic().substr(0, kSongHeaderEnd));
            ASSERT_EQ(truncate((dir + "/demo.xm").c_str(), 2LL << 30), 0);
        },
        "a header followed by two gigabytes of zeros");
}

// A bounded run of mutated modules through the whole start-up path. For a
// longer run: TROMVISK_FUZZ_RUNS=500 TROMVISK_FUZZ_SEED=7 ctest -R BadMusic.Mutated
TEST_F(BadMusic, MutatedModules) {
    const char* runsText = std::getenv("TROMVISK_FUZZ_RUNS");
    const char* seedText = std::getenv("TROMVISK_FUZZ_SEED");
    const int runs = runsText ? std::atoi(runsText) : 12;
    std::mt19937 random(seedText ? unsigned(std::atoi(seedText)) : 1u);
    const std::string music = BuiltMusic();
    for (int run = 0; run < runs; ++run) {
        std::string bytes = music;
        std::string what;
        switch (random() % 4) {
        case 0: // cut short
            bytes.resize(random() % bytes.size());
            what = "cut at " + std::to_string(bytes.size());
            break;
        case 1: // a few bytes changed in the headers
            for (int i = 0, n = 1 + random() % 8; i < n; ++i) {
                bytes[random() % 2000] = char(random() & 0xff);
            }
            what = "header bytes changed";
            break;
        case 2: // many bytes changed anywhere
            for (int i = 0, n = 1 + random() % 200; i < n; ++i) {
                bytes[random() % bytes.size()] = char(random() & 0xff);
            }
            what = "bytes changed";
            break;
        default: { // a 16-bit field set to an extreme
            const std::uint16_t extremes[] = {0, 1, 0x7f, 0x80, 0xff, 0x100, 0x7fff, 0xffff};
            bytes = WithField(bytes, random() % 2000, extremes[random() % 8]);
            what = "a field set to an extreme";
        }
        }
        RunWithBytes(bytes, "mutation " + std::to_string(run) + ": " + what);
    }
}

} // namespace
