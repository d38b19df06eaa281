// Independent players render the whole of demo.xm: it must last as long as
// the show, never clip and never fall silent inside the song.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "soundtrack_audio.h"

namespace {

constexpr double kHeadroomDbfs = -1.0;
constexpr double kLongestQuietSeconds = 2.0;
constexpr double kShortestSong = 105.0;
constexpr double kLongestSong = 110.0;
constexpr double kLatestStart = 0.5;

struct Render {
    const char* player; // path, empty when it was not found
    std::string (*command)(const std::string& output);
    std::vector<float> (*read)(const std::string& output);
};

void CheckRender(const Render& render) {
    ASSERT_STRNE(render.player, "") << "player not found when the build was configured";
    const std::string output = TemporaryPath("soundtrack-render");
    const std::string command = render.command(output) + " 2>/dev/null";
    const int status = std::system(command.c_str());
    const std::vector<float> samples = render.read(output);
    std::remove(output.c_str());
    ASSERT_EQ(status, 0) << command;

    const AudioLevels levels = MeasureLevels(samples, kRenderRate);
    std::printf("%s: %.2f s, peak %.2f dBFS, first sound at %.3f s, longest quiet %.3f s\n",
                render.player, levels.seconds, levels.peakDbfs, levels.firstSound,
                levels.longestQuiet);
    ::testing::Test::RecordProperty("seconds", std::to_string(levels.seconds));
    ::testing::Test::RecordProperty("peak_dbfs", std::to_string(levels.peakDbfs));
    EXPECT_GE(levels.seconds, kShortestSong);
    EXPECT_LE(levels.seconds, kLongestSong);
    EXPECT_LE(levels.peakDbfs, kHeadroomDbfs);
    EXPECT_EQ(levels.fullScaleFrames, 0);
    EXPECT_LT(levels.firstSound, kLatestStart);
    EXPECT_LT(levels.seconds - levels.lastSound, kLongestQuietSeconds);
    EXPECT_LT(levels.longestQuiet, kLongestQuietSeconds);
}

// Raw floating-point output: a peak above full scale shows as it is.
TEST(SoundtrackPlayers, OpenMptRendersTheWholeSong) {
    CheckRender({OPENMPT123_PATH,
                 [](const std::string& output) {
                     return ShellQuoted(OPENMPT123_PATH) +
                            " --batch --quiet --no-progress --samplerate 44100 --channels 2"
                            " --float --stdout " +
                            ShellQuoted(SOUNDTRACK_XM_PATH) + " > " + ShellQuoted(output);
                 },
                 ReadRawF32});
}

// 16-bit WAV: clipping shows as samples at full scale.
TEST(SoundtrackPlayers, XmpRendersTheWholeSong) {
    CheckRender({XMP_PATH,
                 [](const std::string& output) {
                     // The output file must come first: it resets the driver.
                     return ShellQuoted(XMP_PATH) + " --output-file " + ShellQuoted(output) +
                            " --driver wav --nocmd --norc --quiet --frequency 44100 " +
                            ShellQuoted(SOUNDTRACK_XM_PATH);
                 },
                 ReadWav16});
}

} // namespace
