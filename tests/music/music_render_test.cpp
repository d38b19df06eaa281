// The offline music render against SDL_mixer playing the same demo.xm through
// SDL's disk audio driver, as the live show plays it: the samples must be the
// same, bit for bit, through the fade and past the end of the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <mikmod.h>

#include "mixer_playback.h"
#include "music/music_render.h"
#include "music/wav_writer.h"
#include "show/timeline.h"
#include "soundtrack_audio.h"

namespace {

constexpr std::size_t kChunkSamples = std::size_t(kMusicChunkFrames) * kMusicChannels;
constexpr std::size_t kOpeningChunks = 216; // about ten seconds
constexpr std::size_t kFadeAfterChunks = 120;
constexpr int kShowFadeMs = kSoundFadeMs;
constexpr std::size_t kShowFadeChunks = 22; // ceil(1000 / 46) chunks of 46 ms
constexpr std::size_t kChunksAfterFade = 8;
constexpr std::size_t kLongestSongChunks = 2500; // 116 s, beyond the song
constexpr double kShortestSong = 105.0;
constexpr double kLongestSong = 110.0;
constexpr std::size_t kOtherPullFrames = 1000;

struct Comparison {
    std::size_t compared = 0;
    std::size_t differing = 0;
    int largest = 0;
    long first = -1;
};

Comparison Compare(const std::vector<std::int16_t>& expected, std::size_t from,
                   const std::vector<std::int16_t>& actual) {
    Comparison result;
    result.compared = std::min(actual.size(), expected.size() - std::min(from, expected.size()));
    for (std::size_t i = 0; i < result.compared; ++i) {
        const int difference = std::abs(int(expected[from + i]) - int(actual[i]));
        if (difference != 0) {
            result.first = result.first < 0 ? long(i) : result.first;
            ++result.differing;
            result.largest = std::max(result.largest, difference);
        }
    }
    return result;
}

std::ostream& operator<<(std::ostream& out, const Comparison& c) {
    return out << c.compared << " samples compared, " << c.differing << " differ (largest by "
               << c.largest << ", first at sample " << c.first << ")";
}

std::vector<std::int16_t> RenderChunks(MusicRender& render, std::size_t chunks) {
    std::vector<std::int16_t> out(chunks * kChunkSamples);
    render.Render(out.data(), chunks * kMusicChunkFrames);
    return out;
}

bool Silent(const std::int16_t* samples, std::size_t count) {
    return std::all_of(samples, samples + count, [](std::int16_t s) { return s == 0; });
}

TEST(MusicRender, OpeningEqualsSdlMixerSampleForSample) {
    MixerPlaybackOptions options;
    options.musicChunks = kOpeningChunks;
    const MixerPlayback mixer = PlayThroughMixer(SOUNDTRACK_XM_PATH, options);
    ASSERT_GE(mixer.written.size(), mixer.musicStart + kOpeningChunks * kChunkSamples);

    MusicRender render(SOUNDTRACK_XM_PATH);
    const std::vector<std::int16_t> ours = RenderChunks(render, kOpeningChunks);
    ASSERT_FALSE(Silent(ours.data(), ours.size()));
    const Comparison c = Compare(mixer.written, mixer.musicStart, ours);
    std::cout << "opening: " << c << "\n";
    EXPECT_EQ(c.compared, ours.size());
    EXPECT_EQ(c.differing, 0u) << c;
}

constexpr int kLastNotesSeconds = 5;

// The whole module, its last notes and the silence after them: the render
// stops where SDL_mixer stops.
TEST(MusicRender, WholeSongEqualsSdlMixerAndEndsInSilence) {
    const MixerPlayback mixer = PlayThroughMixer(SOUNDTRACK_XM_PATH);
    ASSERT_TRUE(mixer.ended);
    const std::size_t mixerChunks = (mixer.written.size() - mixer.musicStart) / kChunkSamples;

    MusicRender render(SOUNDTRACK_XM_PATH);
    std::vector<std::int16_t> ours;
    std::vector<std::int16_t> chunk(kChunkSamples);
    std::size_t playingChunks = 0;
    while (render.Playing() && playingChunks < kLongestSongChunks) {
        render.Render(chunk.data(), kMusicChunkFrames);
        ours.insert(ours.end(), chunk.begin(), chunk.end());
        ++playingChunks;
    }
    ASSERT_FALSE(render.Playing()) << "still playing after " << playingChunks << " chunks";
    // The song's last notes die away before its end: they sound within its
    // last few seconds, so the render did not stop early.
    const std::size_t tailSamples =
        std::min(ours.size(), std::size_t(kLastNotesSeconds * kMusicRate) * kMusicChannels);
    EXPECT_FALSE(Silent(&ours[ours.size() - tailSamples], tailSamples))
        << "the last " << kLastNotesSeconds << " s of the module hold its last notes";
    const double seconds = double(playingChunks) * kMusicChunkFrames / kMusicRate;
    EXPECT_GE(seconds, kShortestSong);
    EXPECT_LE(seconds, kLongestSong);

    // After the end, nothing but silence, however long it is pulled.
    while (ours.size() / kChunkSamples < std::max(mixerChunks, playingChunks + 4)) {
        render.Render(chunk.data(), kMusicChunkFrames);
        EXPECT_TRUE(Silent(chunk.data(), chunk.size()));
        ours.insert(ours.end(), chunk.begin(), chunk.end());
    }
    EXPECT_FALSE(render.Playing());
    ASSERT_GE(mixerChunks, playingChunks + 1) << "SDL_mixer's playback stopped short";
    ours.resize(mixerChunks * kChunkSamples);
    const Comparison c = Compare(mixer.written, mixer.musicStart, ours);
    std::cout << "whole song: " << seconds << " s playing; " << c << "\n";
    EXPECT_EQ(c.compared, ours.size());
    EXPECT_EQ(c.differing, 0u) << c;
}

// The show's fade: a second, started between two chunks, stepped per chunk.
TEST(MusicRender, FadeEqualsMixFadeOutMusic) {
    MixerPlaybackOptions options;
    options.musicChunks = kFadeAfterChunks + kShowFadeChunks + kChunksAfterFade;
    options.fadeAfterChunks = int(kFadeAfterChunks);
    options.fadeMs = kShowFadeMs;
    const MixerPlayback mixer = PlayThroughMixer(SOUNDTRACK_XM_PATH, options);

    MusicRender render(SOUNDTRACK_XM_PATH);
    std::vector<std::int16_t> ours = RenderChunks(render, kFadeAfterChunks);
    render.FadeOut(kShowFadeMs);
    std::vector<double> fadeRms;
    for (std::size_t i = 0; i < kShowFadeChunks + kChunksAfterFade; ++i) {
        EXPECT_EQ(render.Playing(), i <= kShowFadeChunks) << "chunk " << i << " of the fade";
        const std::vector<std::int16_t> chunk = RenderChunks(render, 1);
        ours.insert(ours.end(), chunk.begin(), chunk.end());
        double sum = 0;
        for (std::int16_t s : chunk) {
            sum += double(s) * s;
        }
        fadeRms.push_back(std::sqrt(sum / double(chunk.size())));
    }
    EXPECT_FALSE(render.Playing());
    // Audible at first, then quieter, then nothing once the steps are done.
    EXPECT_GT(fadeRms[0], 100.0);
    EXPECT_LT(fadeRms[kShowFadeChunks - 2], fadeRms[0] / 4);
    for (std::size_t i = kShowFadeChunks; i < fadeRms.size(); ++i) {
        EXPECT_EQ(fadeRms[i], 0.0) << "chunk " << i << " of the fade";
    }
    const Comparison c = Compare(mixer.written, mixer.musicStart, ours);
    std::cout << "fade: " << c << "\n";
    EXPECT_EQ(c.compared, ours.size());
    EXPECT_EQ(c.differing, 0u) << c;
}

// The pull size is part of the sound: pulled in other pieces, the same
// set-up gives other samples (the mixer's volume ramps restart with each pull).
TEST(MusicRender, AnotherPullSizeGivesOtherSamples) {
    MixerPlaybackOptions options;
    options.musicChunks = kOpeningChunks;
    const MixerPlayback mixer = PlayThroughMixer(SOUNDTRACK_XM_PATH, options);
    std::vector<std::int16_t> otherPulls(kOpeningChunks * kChunkSamples);
    {
        MusicRender render(SOUNDTRACK_XM_PATH); // sets libmikmod up and starts the module
        for (std::size_t done = 0; done < otherPulls.size();) {
            const std::size_t samples =
                std::min(kOtherPullFrames * kMusicChannels, otherPulls.size() - done);
            VC_WriteBytes(reinterpret_cast<SBYTE*>(&otherPulls[done]),
                          ULONG(samples * sizeof(std::int16_t)));
            done += samples;
        }
    }
    const Comparison c = Compare(mixer.written, mixer.musicStart, otherPulls);
    std::cout << "pulled " << kOtherPullFrames << " frames at a time: " << c << "\n";
    EXPECT_EQ(c.compared, otherPulls.size());
    EXPECT_GT(c.differing, 0u) << c;
}

TEST(MusicRender, TwoRendersInSequenceAreIdentical) {
    std::vector<std::int16_t> first;
    {
        MusicRender render(SOUNDTRACK_XM_PATH);
        first = RenderChunks(render, kLongestSongChunks);
    }
    MusicRender render(SOUNDTRACK_XM_PATH);
    const std::vector<std::int16_t> second = RenderChunks(render, kLongestSongChunks);
    EXPECT_FALSE(Silent(first.data(), first.size()));
    EXPECT_TRUE(first == second);
}

TEST(MusicRender, OneRenderAtATime) {
    MusicRender render(SOUNDTRACK_XM_PATH);
    try {
        MusicRender second(SOUNDTRACK_XM_PATH);
        ADD_FAILURE() << "a second render opened while the first is open";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("another music render"), std::string::npos)
            << error.what();
    }
    // The refused one took nothing from the open one.
    const std::vector<std::int16_t> opening = RenderChunks(render, 4);
    EXPECT_FALSE(Silent(opening.data(), opening.size()));
}

TEST(MusicRender, RendersWholeChunksOnly) {
    MusicRender render(SOUNDTRACK_XM_PATH);
    std::vector<std::int16_t> out(kChunkSamples * 2);
    EXPECT_THROW(render.Render(out.data(), kMusicChunkFrames + 1), std::invalid_argument);
    EXPECT_NO_THROW(render.Render(out.data(), 0));
}

class MusicRenderBadFile : public testing::Test {
  protected:
    void TearDown() override {
        for (const std::string& path : made) {
            std::remove(path.c_str());
            rmdir(path.c_str());
        }
    }

    std::string FileWith(const std::string& bytes) {
        const std::string path = TemporaryPath("music-render-bad");
        std::ofstream(path, std::ios::binary) << bytes;
        made.push_back(path);
        return path;
    }

    // Loading fails with one line naming the file and the reason.
    static void ExpectRefused(const std::string& path, const std::string& reason) {
        try {
            MusicRender render(path);
            ADD_FAILURE() << path << " was accepted";
        } catch (const std::runtime_error& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
    }

    std::vector<std::string> made;
};

TEST_F(MusicRenderBadFile, EachGivesAClearErrorAndTheNextRenderStillWorks) {
    ExpectRefused("/nonexistent/demo.xm", "no such file");
    const std::string directory = TemporaryPath("music-render-dir");
    std::remove(directory.c_str());
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    made.push_back(directory);
    ExpectRefused(directory, "is a directory");
    ExpectRefused(FileWith(""), "empty");
    // A FIFO with no writer would block the read for good.
    const std::string fifo = TemporaryPath("music-render-fifo");
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    made.push_back(fifo);
    ExpectRefused(fifo, "not a regular file");

    std::mt19937 random(20261208);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise) {
        c = char(random() & 0xFF);
    }
    ExpectRefused(FileWith(noise), "not a playable module");

    // The real module cut off after its header: the patterns and samples are missing.
    std::ifstream in(SOUNDTRACK_XM_PATH, std::ios::binary);
    std::string head(400, '\0');
    in.read(head.data(), std::streamsize(head.size()));
    ExpectRefused(FileWith(head), "not a playable module");

    MusicRender render(SOUNDTRACK_XM_PATH);
    const std::vector<std::int16_t> opening = RenderChunks(render, kOpeningChunks / 4);
    EXPECT_FALSE(Silent(opening.data(), opening.size()));
}

TEST(WavWriter, WritesWhatWasRenderedAsRiffPcm) {
    MusicRender render(SOUNDTRACK_XM_PATH);
    const std::vector<std::int16_t> opening = RenderChunks(render, 64);
    const std::string path = TemporaryPath("music-render-wav");
    {
        WavWriter wav(path);
        wav.Write(opening.data(), opening.size() / kMusicChannels / 2);
        wav.Write(opening.data() + opening.size() / 2, opening.size() / kMusicChannels / 2);
        wav.Finish();
        EXPECT_EQ(wav.Frames(), opening.size() / kMusicChannels);
    }
    const std::vector<float> read = ReadWav16(path); // throws unless 16-bit stereo 44.1 kHz
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    EXPECT_EQ(std::size_t(in.tellg()), 44 + opening.size() * 2);
    std::remove(path.c_str());
    ASSERT_EQ(read.size(), opening.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        ASSERT_EQ(read[i], float(opening[i]) / 32768.0f) << "sample " << i;
    }
}

TEST(WavWriter, AnUnwritablePlaceIsOneClearLine) {
    try {
        WavWriter wav("/nonexistent/folder/music.wav");
        ADD_FAILURE() << "created a file in a folder that does not exist";
    } catch (const std::runtime_error& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.find('\n'), std::string::npos);
        EXPECT_NE(message.find("/nonexistent/folder/music.wav"), std::string::npos) << message;
        EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    }
}

} // namespace
