// One small module per feature the song relies on, written here with the
// generator's own writer and played by libmikmod (through SDL_mixer),
// libopenmpt and libxmp: each feature must sound the same in all three.
// Features: sample panning and 8xx panning, the volume column's set volume,
// 4xy vibrato, 3xx tone portamento, the key-off release (volume envelope with
// sustain and fadeout), and the tempo (speed 5 at 150 BPM: rows of exactly
// 1/12 s).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "soundtrack_audio.h"
#include "soundtrack_render.h"
#include "synth.h"
#include "xm_module.h"
#include "xm_writer.h"

namespace {

constexpr int kSpeed = 5;
constexpr int kBpm = 150;
constexpr double kRowSeconds = kSpeed * 2.5 / kBpm;
constexpr int kCycleFrames = 64; // a looped sine: C-4 plays middle C
constexpr uint8_t kC5 = 61;
constexpr uint8_t kA4 = 58;
constexpr uint8_t kE5 = 65;
constexpr uint8_t kTonePortamento = 0x3;
constexpr uint8_t kVibrato = 0x4;
constexpr uint8_t kSetPanning = 0x8;

struct Players {
    std::vector<float> mikmod;
    std::vector<float> openmpt;
    std::vector<float> xmp;
};

// A one-channel module around a looped sine, with `rows` rows that the
// caller fills in.
XmModule SineModule(int rows, const XmEnvelope& envelope = {}, uint16_t fadeout = 0) {
    XmModule module;
    module.name = "one feature";
    module.trackerName = "Tromvisk tests";
    module.channels = 2;
    module.speed = kSpeed;
    module.bpm = kBpm;
    module.orders = {0};
    XmPattern pattern;
    pattern.rows = rows;
    pattern.cells.assign(size_t(rows) * module.channels, XmCell{});
    module.patterns = {pattern};
    std::vector<Partial> sine = {{1, 1.0, 0.0}};
    XmInstrument instrument;
    instrument.name = "sine";
    instrument.volumeEnvelope = envelope;
    instrument.fadeout = fadeout;
    instrument.sample.name = "sine";
    instrument.sample.frames = ToFrames(RenderLoop(kCycleFrames, sine), 0.5);
    instrument.sample.loopLength = kCycleFrames;
    const Tuning tuning = TuneForMiddleC(1.0 / kCycleFrames);
    instrument.sample.relativeNote = int8_t(tuning.relativeNote);
    instrument.sample.finetune = int8_t(tuning.finetune);
    module.instruments = {instrument};
    return module;
}

XmCell& At(XmModule& module, int row, int channel = 0) {
    return module.patterns[0].cells[size_t(row) * module.channels + channel];
}

Players RenderAll(const XmModule& module) {
    const std::vector<uint8_t> bytes = WriteXm(module);
    Players players{RenderBytesWithMixer(bytes), RenderBytesWithOpenMpt(bytes),
                    RenderBytesWithXmp(bytes)};
    EXPECT_FALSE(players.mikmod.empty()) << "libmikmod gave no render";
    EXPECT_FALSE(players.openmpt.empty()) << "openmpt123 gave no render";
    EXPECT_FALSE(players.xmp.empty()) << "xmp gave no render";
    return players;
}

double ChannelRms(const std::vector<float>& stereo, int channel, double start, double seconds) {
    const size_t from = size_t(start * kRenderRate);
    const size_t to = std::min(stereo.size() / 2, from + size_t(seconds * kRenderRate));
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        sum += double(stereo[2 * i + channel]) * stereo[2 * i + channel];
    }
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

double Db(double ratio) {
    return 20.0 * std::log10(std::max(ratio, 1e-9));
}

// Frequency of the (mono sum) sine over a window, from its upward zero
// crossings, interpolated between samples.
double Frequency(const std::vector<float>& stereo, double start, double seconds) {
    const size_t from = size_t(start * kRenderRate);
    const size_t to = std::min(stereo.size() / 2, from + size_t(seconds * kRenderRate));
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        const double a = double(stereo[2 * i - 2]) + stereo[2 * i - 1];
        const double b = double(stereo[2 * i]) + stereo[2 * i + 1];
        if (a < 0.0 && b >= 0.0) {
            const double at = double(i - 1) + a / (a - b);
            if (first < 0.0) {
                first = at;
            } else {
                ++crossings;
            }
            last = at;
        }
    }
    return crossings > 0 ? crossings * kRenderRate / (last - first) : 0.0;
}

double Cents(double hz, double reference) {
    return 1200.0 * std::log2(std::max(hz, 1e-9) / reference);
}

double NoteHz(uint8_t note) {
    return kMiddleC * std::pow(2.0, (note - 49) / 12.0);
}

void ForEachPlayer(const Players& players,
                   const std::function<void(const char*, const std::vector<float>&)>& check) {
    check("libmikmod", players.mikmod);
    check("libopenmpt", players.openmpt);
    check("libxmp", players.xmp);
}

// Sample panning places a note; 8xx moves it. Left/right balance in dB.
TEST(SoundtrackEffects, PanningPlacesTheSoundAlike) {
    constexpr double kToleranceDb = 1.5;
    XmModule module = SineModule(48);
    module.instruments[0].sample.panning = 48; // well left
    At(module, 0) = {kC5, 1, 0, 0, 0};
    At(module, 24) = {kC5, 1, 0, kSetPanning, 0xD0}; // well right
    const Players players = RenderAll(module);
    double wanted[2] = {0, 0};
    ForEachPlayer(players, [&](const char* player, const std::vector<float>& render) {
        for (int half = 0; half < 2; ++half) {
            const double start = (24 * half + 6) * kRowSeconds;
            const double seconds = 12 * kRowSeconds;
            const double balance =
                Db(ChannelRms(render, 1, start, seconds) / ChannelRms(render, 0, start, seconds));
            std::printf(
                "%s: right/left %+.1f dB, level %.1f dBFS\n", player, balance,
                Db(ChannelRms(render, 0, start, seconds) + ChannelRms(render, 1, start, seconds)));
            if (std::string(player) == "libmikmod") {
                wanted[half] = balance;
                // Left first, then right, each clearly.
                EXPECT_GT(half == 0 ? -balance : balance, 6.0) << "half " << half;
            } else {
                EXPECT_NEAR(balance, wanted[half], kToleranceDb) << player;
            }
        }
    });
}

// Velocity: the volume column scales a note; half volume is 6 dB down.
TEST(SoundtrackEffects, VolumeColumnSetsTheLevelAlike) {
    constexpr double kToleranceDb = 0.5;
    XmModule module = SineModule(24);
    At(module, 0) = {kC5, 1, 0x10 + 64, 0, 0};
    At(module, 12) = {kC5, 1, 0x10 + 32, 0, 0};
    const Players players = RenderAll(module);
    ForEachPlayer(players, [&](const char* player, const std::vector<float>& render) {
        const double full = ChannelRms(render, 0, 2 * kRowSeconds, 8 * kRowSeconds);
        const double half = ChannelRms(render, 0, 14 * kRowSeconds, 8 * kRowSeconds);
        std::printf("%s: half volume %.2f dB\n", player, Db(half / full));
        EXPECT_NEAR(Db(half / full), Db(0.5), kToleranceDb) << player;
    });
}

// Pitch in cents from `reference`, one value per tick (1/60 s).
std::vector<double> PitchTrack(const std::vector<float>& render, double from, double to,
                               double reference) {
    constexpr double kTick = kRowSeconds / kSpeed;
    std::vector<double> cents;
    for (double t = from; t + kTick <= to; t += kTick) {
        cents.push_back(Cents(Frequency(render, t, kTick), reference));
    }
    return cents;
}

// Held notes sing: 4xy on every row after the note, as the song writes it.
TEST(SoundtrackEffects, VibratoSwingsAlike) {
    constexpr uint8_t kLeadVibrato = 0x43;
    constexpr int kRows = 36;
    constexpr double kMeanToleranceCents = 5.0;
    constexpr double kDepthTolerance = 0.35; // of libmikmod's swing
    XmModule module = SineModule(kRows);
    At(module, 0) = {kC5, 1, 0, 0, 0};
    for (int row = 1; row < kRows; ++row) {
        At(module, row) = {0, 0, 0, kVibrato, kLeadVibrato};
    }
    const Players players = RenderAll(module);
    double wantedMean = 0.0;
    double wantedSwing = 0.0;
    ForEachPlayer(players, [&](const char* player, const std::vector<float>& render) {
        const std::vector<double> cents =
            PitchTrack(render, 2 * kRowSeconds, (kRows - 1) * kRowSeconds, NoteHz(kC5));
        ASSERT_FALSE(cents.empty());
        double sum = 0.0;
        for (double c : cents) {
            sum += c;
        }
        const double mean = sum / double(cents.size());
        const auto [low, high] = std::minmax_element(cents.begin(), cents.end());
        const double swing = *high - *low;
        std::printf("%s: mean %+.1f cents, swing %.1f cents\n", player, mean, swing);
        if (std::string(player) == "libmikmod") {
            wantedMean = mean;
            wantedSwing = swing;
            EXPECT_NEAR(mean, 0.0, kMeanToleranceCents) << "vibrato around the note";
            EXPECT_GT(swing, 20.0) << "an audible vibrato";
            EXPECT_LT(swing, 100.0) << "no more than a semitone wide";
        } else {
            EXPECT_NEAR(mean, wantedMean, kMeanToleranceCents) << player;
            EXPECT_NEAR(swing, wantedSwing, kDepthTolerance * wantedSwing) << player;
        }
    });
}

// A glide: 3xx with the new note and no instrument, carried on over the
// next rows, slides from A-4 up to E-5 at the same pace in every player.
TEST(SoundtrackEffects, TonePortamentoGlidesAlike) {
    constexpr uint8_t kGlideSpeed = 0x0C;
    constexpr int kGlideRow = 6;
    constexpr int kGlideRows = 4;
    constexpr int kRows = 18;
    constexpr double kTimeToleranceSeconds = 0.02;
    constexpr double kArrivalCents = 10.0;
    XmModule module = SineModule(kRows);
    At(module, 0) = {kA4, 1, 0, 0, 0};
    At(module, kGlideRow) = {kE5, 0, 0, kTonePortamento, kGlideSpeed};
    for (int row = kGlideRow + 1; row < kGlideRow + kGlideRows; ++row) {
        At(module, row) = {0, 0, 0, kTonePortamento, kGlideSpeed};
    }
    const Players players = RenderAll(module);
    const double start = kGlideRow * kRowSeconds;
    const double interval = Cents(NoteHz(kE5), NoteHz(kA4));
    double wantedHalfway = 0.0;
    ForEachPlayer(players, [&](const char* player, const std::vector<float>& render) {
        const std::vector<double> cents =
            PitchTrack(render, kRowSeconds, (kRows - 1) * kRowSeconds, NoteHz(kA4));
        ASSERT_GT(cents.size(), size_t(kGlideRows * kSpeed));
        // Halfway in pitch: when the glide passes the middle of the interval.
        double halfway = -1.0;
        for (size_t i = 0; i < cents.size() && halfway < 0.0; ++i) {
            if (cents[i] >= interval / 2) {
                halfway = kRowSeconds + double(i) * kRowSeconds / kSpeed - start;
            }
        }
        std::printf("%s: from %+.1f to %+.1f cents, halfway after %.3f s\n", player, cents.front(),
                    cents.back(), halfway);
        EXPECT_NEAR(cents.front(), 0.0, kArrivalCents) << player << ": starts on A-4";
        EXPECT_NEAR(cents.back(), interval, kArrivalCents) << player << ": arrives on E-5";
        if (std::string(player) == "libmikmod") {
            wantedHalfway = halfway;
            EXPECT_GT(halfway, 0.0) << "a glide, not a jump";
            EXPECT_LT(halfway, kGlideRows * kRowSeconds);
        } else {
            EXPECT_NEAR(halfway, wantedHalfway, kTimeToleranceSeconds) << player;
        }
    });
}

// A note released by a key-off: the volume envelope leaves its sustain
// point and the fadeout runs, to silence, in every player alike. The
// pad's own envelope and fadeout.
TEST(SoundtrackEffects, KeyOffReleasesAlike) {
    constexpr int kKeyOffRow = 12;
    constexpr int kRows = 48;
    constexpr double kWindow = 0.05;
    constexpr double kToleranceDb = 3.0;
    constexpr double kAudibleDb = -30.0; // compared while above this, from the sustain level
    constexpr double kSilentDb = -60.0;
    XmEnvelope envelope;
    envelope.points = {{0, 0}, {12, 64}, {40, 52}, {160, 0}};
    envelope.sustainPoint = 2;
    XmModule module = SineModule(kRows, envelope, 400);
    At(module, 0) = {kC5, 1, 0, 0, 0};
    At(module, kKeyOffRow) = {kKeyOff, 0, 0, 0, 0};
    const Players players = RenderAll(module);
    std::vector<double> wanted;
    ForEachPlayer(players, [&](const char* player, const std::vector<float>& render) {
        const double held = Db(ChannelRms(render, 0, kKeyOffRow * kRowSeconds - kWindow, kWindow));
        std::vector<double> curve;
        for (double t = kKeyOffRow * kRowSeconds; t + kWindow < kRows * kRowSeconds; t += kWindow) {
            curve.push_back(Db(ChannelRms(render, 0, t, kWindow)) - held);
        }
        const double tail = Db(ChannelRms(render, 0, kRows * kRowSeconds - 0.2, 0.2));
        std::printf("%s: held at %.1f dBFS, %.1f dB after 0.5 s, %.1f dB after 1 s, tail "
                    "%.1f dBFS\n",
                    player, held, curve[10], curve[20], tail);
        EXPECT_LT(tail, kSilentDb) << player << ": the note is released to silence";
        if (std::string(player) == "libmikmod") {
            wanted = curve;
            EXPECT_LT(curve.back(), kAudibleDb) << "no release";
            EXPECT_GT(curve[4], -12.0) << "released gradually, not cut";
        } else {
            ASSERT_EQ(curve.size(), wanted.size());
            for (size_t i = 0; i < curve.size() && wanted[i] > kAudibleDb; ++i) {
                EXPECT_NEAR(curve[i], wanted[i], kToleranceDb) << player << " at window " << i;
            }
        }
    });
}

// Speed 5 at 150 BPM: a tick is 735 samples, a row 1/12 s; a note every
// twelve rows starts on each second in every player, to the sample.
TEST(SoundtrackEffects, RowsLastATwelfthOfASecond) {
    constexpr int kNotes = 6;
    constexpr int kRowsPerSecond = 12;
    constexpr double kToleranceSeconds = 0.002;
    XmModule module = SineModule(kNotes * kRowsPerSecond);
    for (int i = 0; i < kNotes; ++i) {
        At(module, i * kRowsPerSecond) = {kC5, 1, 0, 0, 0};
        At(module, i * kRowsPerSecond + 6) = {kKeyOff, 0, 0, 0, 0};
    }
    const Players players = RenderAll(module);
    ForEachPlayer(players, [&](const char* player, const std::vector<float>& render) {
        std::vector<double> onsets;
        double quiet = 1.0;
        for (size_t i = 0; i + 1 < render.size(); i += 2) {
            const bool sounding = std::fabs(render[i]) + std::fabs(render[i + 1]) > 0.01;
            if (sounding && quiet > 0.1) {
                onsets.push_back(double(i / 2) / kRenderRate);
            }
            quiet = sounding ? 0.0 : quiet + 1.0 / kRenderRate;
        }
        std::printf("%s: %zu notes, the last at %.4f s\n", player, onsets.size(),
                    onsets.empty() ? 0.0 : onsets.back());
        ASSERT_EQ(onsets.size(), size_t(kNotes)) << player;
        for (int i = 0; i < kNotes; ++i) {
            EXPECT_NEAR(onsets[i], double(i), kToleranceSeconds) << player << " note " << i;
        }
    });
}

} // namespace
