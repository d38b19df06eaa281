// One small module per feature the song relies on, written here with the
// generator's own writer and played by libmikmod (through SDL_mixer),
// libopenmpt and libxmp: each feature must sound the same in all three.
// Features: sample panning and 8xx panning, 4xy vibrato, 3xx tone portamento,
// the key-off release (volume envelope with sustain and fadeout), and the
// tempo (speed 5 at 150 BPM: rows of exactly 1/12 s).
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
            std::printf("%s: right/left %+.1f dB, level %.1f dBFS\n", player, balance,
                        Db(ChannelRms(render, 0, start, seconds) +
                           ChannelRms(render, 1, start, seconds)));
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

} // namespace
