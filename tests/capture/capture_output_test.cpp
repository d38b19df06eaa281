// What the real tromvisk-capture writes, read back by FFmpeg's own tools: the
// streams, their lengths, the sound in sync and equal to what SDL_mixer
// plays, the same frames run after run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>

#include "capture_process.h"
#include "mixer_playback.h"
#include "music/music_render.h"

namespace {

class CaptureOutputTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = FreshFolder("capture-out"); }
    void TearDown() override { RemoveFolder(folder); }
    std::string folder;
};

void Capture(const std::vector<std::string>& arguments) {
    const CaptureRun run = RunCaptureBinary(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << "one summary line: " << run.errors;
}

// ffprobe's key=value lines of one section kind, in order.
std::vector<std::map<std::string, std::string>> Probe(const std::string& path,
                                                      const std::string& entries) {
    const std::string text = Shell("ffprobe -v error -count_frames -show_entries " + entries +
                                   " -of default=noprint_wrappers=0 " + Quoted(path));
    std::vector<std::map<std::string, std::string>> sections;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("[/", 0) == 0) {
            continue;
        }
        if (line.rfind("[", 0) == 0) {
            sections.emplace_back();
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!sections.empty() && equals != std::string::npos) {
            sections.back()[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return sections;
}

std::vector<std::int16_t> DecodedSound(const std::string& path) {
    const std::string raw =
        Shell("ffmpeg -v error -i " + Quoted(path) + " -map 0:a -f s16le -ac 2 -ar 44100 -");
    std::vector<std::int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    return samples;
}

// The first stereo frame louder than about -30 dBFS.
std::int64_t FirstOnset(const std::vector<std::int16_t>& samples) {
    constexpr int kThreshold = 1000;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > kThreshold) {
            return static_cast<std::int64_t>(i / 2);
        }
    }
    return -1;
}

std::vector<std::int16_t> WavSamples(const std::string& path) {
    const std::string bytes = ReadWhole(path);
    // A canonical 44-byte header: RIFF, fmt, data.
    EXPECT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    std::size_t at = 12;
    while (at + 8 <= bytes.size() && bytes.substr(at, 4) != "data") {
        std::uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        at += 8 + size;
    }
    std::vector<std::int16_t> samples((bytes.size() - at - 8) / 2);
    std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
    return samples;
}

TEST_F(CaptureOutputTest, WholeShowMp4HasBothStreamsExactLengthAndSoundInSync) {
    const std::string video = folder + "/show.mp4";
    Capture({"--size", "320x240", "--fps", "30", "--aa", "1", video});
    const auto streams = Probe(video, "stream=codec_type,codec_name,pix_fmt,nb_read_frames,"
                                      "duration,color_space,color_primaries,color_transfer,"
                                      "sample_rate,channels");
    ASSERT_EQ(streams.size(), 2u);
    const auto& picture = streams[0].at("codec_type") == "video" ? streams[0] : streams[1];
    const auto& sound = streams[0].at("codec_type") == "video" ? streams[1] : streams[0];
    EXPECT_EQ(picture.at("codec_name"), "h264");
    EXPECT_EQ(picture.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(picture.at("color_space"), "bt709");
    EXPECT_EQ(picture.at("color_primaries"), "bt709");
    EXPECT_EQ(picture.at("color_transfer"), "bt709");
    EXPECT_EQ(picture.at("nb_read_frames"), "3240"); // 108 s at 30 frames a second
    EXPECT_EQ(sound.at("codec_name"), "aac");
    EXPECT_EQ(sound.at("sample_rate"), "44100");
    EXPECT_EQ(sound.at("channels"), "2");
    const double frame = 1.0 / 30;
    EXPECT_NEAR(std::stod(picture.at("duration")), 108.0, frame);
    EXPECT_NEAR(std::stod(sound.at("duration")), 108.0, frame);
    // The index is at the front, for playing while downloading.
    const std::string head = ReadWhole(video).substr(0, 64 * 1024);
    EXPECT_LT(head.find("moov"), head.find("mdat"));

    // The sound starts where the module's own first note does.
    const std::vector<std::int16_t> decoded = DecodedSound(video);
    EXPECT_NEAR(decoded.size() / 2.0 / kMusicRate, 108.0, frame);
    MusicRender module(TROMVISK_DEMO_XM);
    std::vector<std::int16_t> own(static_cast<std::size_t>(kMusicChunkFrames) * 2 * 200);
    module.Render(own.data(), own.size() / 2);
    const std::int64_t expected = FirstOnset(own);
    ASSERT_GE(expected, 0);
    EXPECT_NEAR(static_cast<double>(FirstOnset(decoded) - expected) / kMusicRate, 0.0, 0.010);
    // Faded to silence by the end, not cut off.
    const std::size_t lastTenth = decoded.size() - kMusicRate / 10 * 2;
    for (std::size_t i = lastTenth; i < decoded.size(); ++i) {
        ASSERT_LT(std::abs(decoded[i]), 64) << "sample " << i;
    }
}

TEST_F(CaptureOutputTest, FolderMusicIsWhatSdlMixerPlays) {
    // From 2 s to 5 s, and the end with its fade, at a tiny size.
    const std::string start = folder + "/start";
    Capture({"--size", "32x24", "--fps", "10", "--aa", "1", "--from", "2", "--to", "5", start});
    const std::string end = folder + "/end";
    Capture({"--size", "32x24", "--fps", "10", "--aa", "1", "--from", "105", end});

    // The show ends at 107 s: the mixer fades from the chunk playing then.
    MixerPlaybackOptions options;
    options.fadeAfterChunks = 107 * kMusicRate / kMusicChunkFrames;
    options.fadeMs = 1000;
    const MixerPlayback played = PlayThroughMixer(TROMVISK_DEMO_XM, options);
    const std::vector<std::int16_t> mixer(played.written.begin() + played.musicStart,
                                          played.written.end());

    const std::vector<std::int16_t> early = WavSamples(start + "/music.wav");
    ASSERT_EQ(early.size(), 3u * kMusicRate * 2);
    const std::size_t from2 = 2u * kMusicRate * 2;
    ASSERT_GE(mixer.size(), from2 + early.size());
    for (std::size_t i = 0; i < early.size(); ++i) {
        ASSERT_EQ(early[i], mixer[from2 + i]) << "sample " << i << " from 2 s";
    }

    const std::vector<std::int16_t> late = WavSamples(end + "/music.wav");
    ASSERT_EQ(late.size(), 3u * kMusicRate * 2);
    const std::size_t from105 = 105u * kMusicRate * 2;
    ASSERT_GT(mixer.size(), from105 + 2u * kMusicRate * 2) << "the mixer stopped before the fade";
    std::size_t compared = 0;
    for (std::size_t i = 0; i < late.size(); ++i) {
        const std::int16_t expected = from105 + i < mixer.size() ? mixer[from105 + i] : 0;
        ASSERT_EQ(late[i], expected) << "sample " << i << " from 105 s";
        ++compared;
    }
    EXPECT_EQ(compared, late.size());
    // The fade has run its course before the video ends.
    for (std::size_t i = late.size() - kMusicRate / 20 * 2; i < late.size(); ++i) {
        ASSERT_EQ(late[i], 0) << "sample " << i;
    }
}

TEST_F(CaptureOutputTest, FolderHoldsNumberedFramesFromZero) {
    const std::string frames = folder + "/frames";
    Capture({"--size", "32x24", "--fps", "10", "--aa", "1", "--from", "10", "--to", "10.5",
             "--no-music", frames});
    EXPECT_EQ(FolderEntries(frames),
              (std::vector<std::string>{"frame_000000.png", "frame_000001.png", "frame_000002.png",
                                        "frame_000003.png", "frame_000004.png"}));
    // Again into the same folder, shorter and with music: the old frames go.
    Capture(
        {"--size", "32x24", "--fps", "10", "--aa", "1", "--from", "10", "--to", "10.2", frames});
    EXPECT_EQ(FolderEntries(frames),
              (std::vector<std::string>{"frame_000000.png", "frame_000001.png", "music.wav"}));
    const auto probe = Probe(frames + "/frame_000000.png", "stream=codec_name,width,height");
    ASSERT_EQ(probe.size(), 1u);
    EXPECT_EQ(probe[0].at("codec_name"), "png");
    EXPECT_EQ(probe[0].at("width"), "32");
}

TEST_F(CaptureOutputTest, SameOptionsGiveTheSameFramesAndSound) {
    const std::vector<std::string> options = {"--size", "320x240", "--from", "30", "--to", "31.5"};
    std::vector<std::string> first = options, second = options;
    first.push_back(folder + "/one.mp4");
    second.push_back(folder + "/two.mp4");
    Capture(first);
    Capture(second);
    const std::string hashes = "ffmpeg -v error -i %s -f framemd5 -";
    auto decoded = [&](const std::string& path) {
        return Shell("ffmpeg -v error -i " + Quoted(path) + " -f framemd5 -");
    };
    const std::string one = decoded(folder + "/one.mp4");
    EXPECT_EQ(std::count(one.begin(), one.end(), '\n') > 90, true) << one;
    EXPECT_EQ(one, decoded(folder + "/two.mp4"));
}

TEST_F(CaptureOutputTest, MatroskaAndWebmPlay) {
    for (const std::string name : {"short.mkv", "short.webm"}) {
        const std::string path = folder + "/" + name;
        Capture({"--size", "160x120", "--fps", "24", "--from", "50", "--to", "51", path});
        const auto streams = Probe(path, "stream=codec_name,nb_read_frames,sample_rate");
        ASSERT_EQ(streams.size(), 2u) << name;
        const bool webm = name == "short.webm";
        EXPECT_EQ(streams[0].at("codec_name"), webm ? "vp9" : "h264");
        EXPECT_EQ(streams[0].at("nb_read_frames"), "24");
        EXPECT_EQ(streams[1].at("codec_name"), webm ? "opus" : "aac");
        EXPECT_EQ(streams[1].at("sample_rate"), webm ? "48000" : "44100");
    }
}

} // namespace
