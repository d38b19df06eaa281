#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>

#include "synth.h"

namespace {

// Mix levels: each sample's peak as a fraction of full scale. XM has no
// per-instrument gain besides the data itself, and the volume column is kept
// for the music's dynamics.
constexpr double kKickLevel = 0.9;
constexpr double kSnareLevel = 0.55;
constexpr double kClapLevel = 0.7;
constexpr double kTomLevel = 0.9;
constexpr double kClosedHatLevel = 0.65;
constexpr double kOpenHatLevel = 0.56;
constexpr double kCrashLevel = 0.5;
constexpr double kRiserLevel = 0.8;
constexpr double kBlipLevel = 0.95;
constexpr double kBassLevel = 0.7;
constexpr double kPadLevel = 0.37;
constexpr double kArpLevel = 0.55;
constexpr double kLeadLevel = 1.0;
constexpr double kAnswerLevel = 0.8;

// Stereo placement (0 left .. 255 right); the pad's chord tones are placed
// by the song, note by note.
constexpr uint8_t kSnarePan = 112;
constexpr uint8_t kClapPan = 128;
constexpr uint8_t kTomPan = 144;
constexpr uint8_t kHatPan = 184;
constexpr uint8_t kCrashPan = 80;
constexpr uint8_t kBlipPan = 200; // off-centre, clear of the lead
constexpr uint8_t kArpPan = 60;
constexpr uint8_t kLeadPan = 116;
constexpr uint8_t kAnswerPan = 208;

constexpr double kDrumRate = 22050.0;   // low drums: kick, tom, riser
constexpr double kBrightRate = 44100.0; // snare and cymbals keep their top end
constexpr int kTailFadeFrames = 256;

std::vector<double> Silence(double seconds, double rate) {
    return std::vector<double>(size_t(seconds * rate), 0.0);
}

XmSample MakeSample(const std::string& name, std::vector<int16_t> frames, double cyclesPerFrame,
                    uint8_t panning) {
    XmSample sample;
    sample.name = name;
    sample.frames = std::move(frames);
    const Tuning tuning = TuneForMiddleC(cyclesPerFrame);
    sample.relativeNote = int8_t(tuning.relativeNote);
    sample.finetune = int8_t(tuning.finetune);
    sample.panning = panning;
    return sample;
}

// A drum or effect recorded at `rate`: note C-4 plays it at that rate.
XmInstrument OneShot(const std::string& name, std::vector<double> signal, double rate, double level,
                     uint8_t panning) {
    FadeOutTail(signal, kTailFadeFrames);
    XmInstrument instrument;
    instrument.name = name;
    instrument.sample = MakeSample(name, ToFrames(signal, level), kMiddleC / rate, panning);
    return instrument;
}

XmInstrument MakeKick() {
    constexpr double kSeconds = 0.42;
    constexpr double kStartHz = 190.0;
    constexpr double kEndHz = 62.0; // above the bass's lowest roots (41-55 Hz)
    constexpr double kSweepSeconds = 0.028;
    constexpr double kDecaySeconds = 0.2;
    constexpr double kClickSeconds = 0.003;
    constexpr double kClickGain = 0.35;
    constexpr double kDrive = 2.5;
    constexpr double kClickHz = 3000.0;
    std::vector<double> signal = Silence(kSeconds, kDrumRate);
    NoiseSource noise{0x6b1c4a11u};
    OnePole clickTone = MakeOnePole(kClickHz, kDrumRate);
    double phase = 0.0;
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = i / kDrumRate;
        const double hz = kEndHz + (kStartHz - kEndHz) * std::exp(-t / kSweepSeconds);
        const double body = std::sin(phase) * std::exp(-t / kDecaySeconds);
        const double click =
            kClickGain * LowPass(clickTone, NextNoise(noise)) * std::exp(-t / kClickSeconds);
        signal[i] = std::tanh(kDrive * (body + click));
        phase += 2.0 * kPi * hz / kDrumRate;
    }
    return OneShot("kick", signal, kDrumRate, kKickLevel, kCentrePanning);
}

XmInstrument MakeSnare() {
    constexpr double kSeconds = 0.32;
    constexpr double kLowHz = 188.0;
    constexpr double kHighHz = 335.0;
    constexpr double kLowGain = 1.0;
    constexpr double kHighGain = 0.5;
    constexpr double kToneSeconds = 0.08;
    constexpr double kNoiseSeconds = 0.12;
    constexpr double kNoiseGain = 0.55;
    constexpr double kDrive = 3.0; // squashes the crack so the body carries
    std::vector<double> signal = Silence(kSeconds, kBrightRate);
    NoiseSource noise{0x2f5a9e37u};
    constexpr double kHissLowHz = 900.0;
    constexpr double kHissHighHz = 5000.0;
    OnePole lowCut = MakeOnePole(kHissLowHz, kBrightRate);
    OnePole highCut = MakeOnePole(kHissHighHz, kBrightRate);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = i / kBrightRate;
        const double tone = (kLowGain * std::sin(2.0 * kPi * kLowHz * t) +
                             kHighGain * std::sin(2.0 * kPi * kHighHz * t)) *
                            std::exp(-t / kToneSeconds);
        const double hiss = LowPass(highCut, HighPass(lowCut, NextNoise(noise)));
        signal[i] = std::tanh(kDrive * (tone + kNoiseGain * hiss * std::exp(-t / kNoiseSeconds)));
    }
    return OneShot("snare", signal, kBrightRate, kSnareLevel, kSnarePan);
}

// Three quick bursts of band-limited noise and a short tail: hands together,
// the layer the climax adds on the backbeat.
XmInstrument MakeClap() {
    constexpr double kSeconds = 0.3;
    constexpr double kBurstSeconds = 0.009;
    constexpr int kBursts = 3;
    constexpr double kBurstDecaySeconds = 0.003;
    constexpr double kTailSeconds = 0.09;
    constexpr double kLowHz = 900.0;
    constexpr double kHighHz = 3200.0;
    constexpr double kDrive = 2.0;
    std::vector<double> signal = Silence(kSeconds, kBrightRate);
    NoiseSource noise{0x3c1a9f05u};
    OnePole lowCut = MakeOnePole(kLowHz, kBrightRate);
    OnePole highCut = MakeOnePole(kHighHz, kBrightRate);
    OnePole highCut2 = MakeOnePole(kHighHz, kBrightRate);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = i / kBrightRate;
        const int burst = std::min(kBursts - 1, int(t / kBurstSeconds));
        const double envelope = t < kBursts * kBurstSeconds
                                    ? std::exp(-(t - burst * kBurstSeconds) / kBurstDecaySeconds)
                                    : std::exp(-(t - kBursts * kBurstSeconds) / kTailSeconds);
        signal[i] =
            envelope * LowPass(highCut2, LowPass(highCut, HighPass(lowCut, NextNoise(noise))));
    }
    Saturate(signal, kDrive);
    return OneShot("clap", signal, kBrightRate, kClapLevel, kClapPan);
}

// Pitched: note C-3 settles at 130.8 Hz, so fills can walk down the toms.
XmInstrument MakeTom() {
    constexpr double kSeconds = 0.45;
    constexpr double kBaseHz = kMiddleC / 2.0;
    constexpr double kBend = 0.6;
    constexpr double kBendSeconds = 0.05;
    constexpr double kDecaySeconds = 0.14;
    constexpr double kSkinSeconds = 0.01;
    constexpr double kSkinGain = 0.2;
    std::vector<double> signal = Silence(kSeconds, kDrumRate);
    NoiseSource noise{0x51ed270bu};
    double phase = 0.0;
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = i / kDrumRate;
        const double hz = kBaseHz * (1.0 + kBend * std::exp(-t / kBendSeconds));
        signal[i] = std::sin(phase) * std::exp(-t / kDecaySeconds) +
                    kSkinGain * NextNoise(noise) * std::exp(-t / kSkinSeconds);
        phase += 2.0 * kPi * hz / kDrumRate;
    }
    FadeOutTail(signal, kTailFadeFrames);
    XmInstrument tom;
    tom.name = "tom";
    tom.sample = MakeSample("tom", ToFrames(signal, kTomLevel), kBaseHz / kDrumRate, kTomPan);
    return tom;
}

// Six detuned square waves through a high-pass, as in analogue drum machines,
// with some noise on top; saturated so that the edges of the squares do not
// stand out as spikes: a metallic hiss with little crest.
std::vector<double> Metal(double seconds, double decaySeconds, double cutoffHz, double topHz,
                          double pitch, uint32_t seed) {
    constexpr double kSquareHz[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    constexpr double kNoiseGain = 0.5;
    constexpr double kAttackSeconds = 0.002;
    constexpr double kDrive = 4.0;
    std::vector<double> signal = Silence(seconds, kBrightRate);
    NoiseSource noise{seed};
    OnePole firstCut = MakeOnePole(cutoffHz, kBrightRate);
    OnePole secondCut = MakeOnePole(cutoffHz, kBrightRate);
    OnePole firstTop = MakeOnePole(topHz, kBrightRate); // keeps the sizzle out of the top octave
    OnePole secondTop = MakeOnePole(topHz, kBrightRate);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = i / kBrightRate;
        double metal = 0.0;
        for (double hz : kSquareHz) {
            metal += std::sin(2.0 * kPi * hz * pitch * t) >= 0.0 ? 1.0 : -1.0;
        }
        const double raw = metal / std::size(kSquareHz) + kNoiseGain * NextNoise(noise);
        signal[i] =
            LowPass(secondTop, LowPass(firstTop, HighPass(secondCut, HighPass(firstCut, raw))));
    }
    Saturate(signal, kDrive);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = i / kBrightRate;
        const double attack = std::min(1.0, t / kAttackSeconds);
        signal[i] = signal[i] * attack * std::exp(-t / decaySeconds);
    }
    return signal;
}

// clang-format off
XmInstrument MakeClosedHat() {
    //                                 seconds decay   high-pass low-pass pitch seed
    return OneShot("closed hat", Metal(0.2,    0.06,   4000.0,   5000.0,  1.0,  0x1234abcdu), kBrightRate,
                   kClosedHatLevel, kHatPan);
}

XmInstrument MakeOpenHat() {
    return OneShot("open hat",   Metal(0.45,   0.18,   4500.0,   6500.0,  1.0,  0x0badf00du), kBrightRate,
                   kOpenHatLevel, kHatPan);
}

XmInstrument MakeCrash() {
    return OneShot("crash",      Metal(1.6,    0.5,    3000.0,   7000.0,  2.3,  0x7e57c0deu), kBrightRate,
                   kCrashLevel, kCrashPan);
}
// clang-format on

// Noise through a resonant low-pass opening over two seconds: the build-up
// into a new act.
XmInstrument MakeRiser() {
    constexpr double kSeconds = 2.0;
    constexpr double kStartHz = 180.0;
    constexpr double kEndHz = 7000.0;
    constexpr double kStartGain = 0.15;
    constexpr double kDamping = 0.5;
    std::vector<double> signal = Silence(kSeconds, kDrumRate);
    NoiseSource noise{0x0ddba11u};
    StateVariable filter{0.0, 0.0};
    for (size_t i = 0; i < signal.size(); ++i) {
        const double progress = i / double(signal.size());
        const double cutoff = kStartHz * std::pow(kEndHz / kStartHz, progress);
        const double gain = kStartGain * std::pow(1.0 / kStartGain, progress);
        signal[i] = gain * ResonantLowPass(filter, NextNoise(noise), cutoff, kDrumRate, kDamping);
    }
    return OneShot("riser", signal, kDrumRate, kRiserLevel, kCentrePanning);
}

// A short bell-like ping for each typed glyph: a sine with a bright third
// harmonic that dies first, struck with a dry key click (a square on the
// fundamental, gone within two cycles) so it cuts through the music. Cycle
// of 16 frames at C-4; played around C-7.
XmInstrument MakeBlip() {
    constexpr int kFramesPerCycle = 16;
    constexpr double kDecayFrames = 3000.0;
    constexpr double kOvertoneDecayFrames = 800.0;
    constexpr double kOvertoneGain = 0.3;
    constexpr double kClickFrames = 12.0;
    constexpr double kClickGain = 0.3;
    constexpr int kFrames = 12000;
    std::vector<double> signal(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        const double phase = 2.0 * kPi * i / kFramesPerCycle;
        const double square = std::sin(phase) >= 0.0 ? 1.0 : -1.0;
        signal[i] = std::sin(phase) * std::exp(-i / kDecayFrames) +
                    kOvertoneGain * std::sin(3.0 * phase) * std::exp(-i / kOvertoneDecayFrames) +
                    kClickGain * square * std::exp(-i / kClickFrames);
    }
    FadeOutTail(signal, kTailFadeFrames);
    XmInstrument blip;
    blip.name = "blip";
    blip.sample = MakeSample("blip", ToFrames(signal, kBlipLevel), 1.0 / kFramesPerCycle, kBlipPan);
    return blip;
}

// One looped cycle, nearer a sawtooth than a square, with the top rolled off.
XmInstrument MakeBass() {
    constexpr int kFramesPerCycle = 512;
    constexpr int kHarmonics = 40;
    constexpr double kEvenGain = 0.8;
    constexpr double kRolloffHarmonic = 16.0; // bright enough to be heard on small speakers
    std::vector<Partial> partials;
    for (int h = 1; h <= kHarmonics; ++h) {
        const double colour = (h % 2 == 1 ? 1.0 : kEvenGain) / h;
        const double rolloff = 1.0 / (1.0 + (h / kRolloffHarmonic) * (h / kRolloffHarmonic));
        partials.push_back({h, colour * rolloff, 0.0});
    }
    XmInstrument bass;
    bass.name = "bass";
    // Plucked: swells in over three ticks, so the kick it lands with is heard
    // first, then falls to a steady level while the note is held.
    bass.volumeEnvelope.points = {{0, 12}, {3, 64}, {12, 46}, {60, 34}, {200, 28}};
    bass.fadeout = 3000;
    bass.sample = MakeSample("bass", ToFrames(RenderLoop(kFramesPerCycle, partials), kBassLevel),
                             1.0 / kFramesPerCycle, kCentrePanning);
    bass.sample.loopLength = kFramesPerCycle;
    return bass;
}

// One note of a chord: three detuned saws, each making a whole number of
// cycles in the loop so that it joins cleanly. Equal-tempered, since each
// chord tone is its own note on its own channel. Note C-4 plays middle C.
XmInstrument MakePad() {
    constexpr int kFramesPerCycle = 256;
    constexpr int kCycles = 60; // the detuned copies beat once per loop: a slow chorus
    constexpr int kLoopFrames = kFramesPerCycle * kCycles;
    constexpr int kHarmonics = 12;
    constexpr double kRolloff = 1.5;
    constexpr double kMaxCyclesPerFrame = 0.25;
    constexpr double kSideGain = 0.8; // the two detuned copies
    constexpr double kPadDrive = 2.5;
    NoiseSource phases{0xa11ce5u};
    std::vector<Partial> partials;
    for (int detune = -1; detune <= 1; ++detune) {
        AddHarmonics(partials, kCycles + detune, kLoopFrames, kHarmonics, kRolloff,
                     detune == 0 ? 1.0 : kSideGain, kMaxCyclesPerFrame, phases);
    }
    XmInstrument pad;
    pad.name = "pad";
    // A soft swell, held until key-off, then a release of about a second:
    // the song's last sound.
    pad.volumeEnvelope.points = {{0, 0}, {12, 64}, {40, 52}, {100, 0}};
    pad.volumeEnvelope.sustainPoint = 2;
    pad.fadeout = 400;
    std::vector<double> loop = RenderLoop(kLoopFrames, partials);
    Saturate(loop, kPadDrive);
    pad.sample =
        MakeSample("pad", ToFrames(loop, kPadLevel), 1.0 / kFramesPerCycle, kCentrePanning);
    pad.sample.loopLength = kLoopFrames;
    return pad;
}

// A plucked tone: upper harmonics die away faster than the fundamental.
XmInstrument MakeArp() {
    constexpr int kFramesPerCycle = 64;
    constexpr int kFrames = 14000;
    constexpr int kHarmonics = 12;
    constexpr double kEvenGain = 0.5;
    constexpr double kDecayFrames = 8000.0;
    constexpr double kDecayPerHarmonic = 0.35;
    std::vector<double> signal(kFrames, 0.0);
    for (int h = 1; h <= kHarmonics; ++h) {
        const double gain = (h % 2 == 1 ? 1.0 : kEvenGain) / h;
        const double decay = kDecayFrames / (1.0 + kDecayPerHarmonic * (h - 1));
        for (int i = 0; i < kFrames; ++i) {
            signal[i] +=
                gain * std::sin(2.0 * kPi * h * i / kFramesPerCycle) * std::exp(-i / decay);
        }
    }
    FadeOutTail(signal, kTailFadeFrames);
    XmInstrument arp;
    arp.name = "arp";
    arp.sample = MakeSample("arp", ToFrames(signal, kArpLevel), 1.0 / kFramesPerCycle, kArpPan);
    return arp;
}

// Two saws detuned either side of an in-tune square: a wide, bright lead.
XmInstrument MakeLead() {
    constexpr int kFramesPerCycle = 128;
    constexpr int kCycles = 200;
    constexpr int kLoopFrames = kFramesPerCycle * kCycles;
    constexpr int kHarmonics = 16;
    constexpr double kMaxCyclesPerFrame = 0.25;
    constexpr double kSquareGain = 0.6;
    constexpr double kLeadDrive = 1.5;
    NoiseSource phases{0x1eadu};
    std::vector<Partial> partials;
    AddHarmonics(partials, kCycles - 1, kLoopFrames, kHarmonics, 1.0, 1.0, kMaxCyclesPerFrame,
                 phases);
    AddHarmonics(partials, kCycles + 1, kLoopFrames, kHarmonics, 1.0, 1.0, kMaxCyclesPerFrame,
                 phases);
    for (int h = 1; h <= kHarmonics; h += 2) {
        partials.push_back({kCycles * h, kSquareGain / h, 0.0});
    }
    XmInstrument lead;
    lead.name = "lead";
    lead.volumeEnvelope.points = {{0, 60}, {6, 54}, {16, 0}};
    lead.volumeEnvelope.sustainPoint = 1;
    lead.fadeout = 2048;
    std::vector<double> loop = RenderLoop(kLoopFrames, partials);
    Saturate(loop, kLeadDrive);
    lead.sample = MakeSample("lead", ToFrames(loop, kLeadLevel), 1.0 / kFramesPerCycle, kLeadPan);
    lead.sample.loopLength = kLoopFrames;
    return lead;
}

// The lead's echo and answer: a rounder tone (sine, a little square) that
// falls from its attack to a steady level.
XmInstrument MakeAnswer() {
    constexpr int kFramesPerCycle = 128;
    constexpr int kHarmonics = 9;
    std::vector<Partial> partials = {{1, 1.0, 0.0}};
    for (int h = 3; h <= kHarmonics; h += 2) {
        partials.push_back({h, 0.35 / h, 0.0});
    }
    partials.push_back({2, 0.12, 0.0});
    XmInstrument answer;
    answer.name = "answer";
    answer.volumeEnvelope.points = {{0, 56}, {8, 44}, {30, 36}, {50, 0}};
    answer.volumeEnvelope.sustainPoint = 2;
    answer.fadeout = 2048;
    answer.sample =
        MakeSample("answer", ToFrames(RenderLoop(kFramesPerCycle, partials), kAnswerLevel),
                   1.0 / kFramesPerCycle, kAnswerPan);
    answer.sample.loopLength = kFramesPerCycle;
    return answer;
}

} // namespace

std::vector<XmInstrument> BuildInstruments() {
    std::vector<XmInstrument> instruments(size_t(Voice::Count));
    instruments[size_t(Voice::Kick)] = MakeKick();
    instruments[size_t(Voice::Snare)] = MakeSnare();
    instruments[size_t(Voice::Tom)] = MakeTom();
    instruments[size_t(Voice::ClosedHat)] = MakeClosedHat();
    instruments[size_t(Voice::OpenHat)] = MakeOpenHat();
    instruments[size_t(Voice::Crash)] = MakeCrash();
    instruments[size_t(Voice::Riser)] = MakeRiser();
    instruments[size_t(Voice::Blip)] = MakeBlip();
    instruments[size_t(Voice::Bass)] = MakeBass();
    instruments[size_t(Voice::Pad)] = MakePad();
    instruments[size_t(Voice::Arp)] = MakeArp();
    instruments[size_t(Voice::Lead)] = MakeLead();
    instruments[size_t(Voice::Answer)] = MakeAnswer();
    instruments[size_t(Voice::Clap)] = MakeClap();
    return instruments;
}
