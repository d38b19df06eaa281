// Building blocks for synthesising the instruments' samples: oscillators,
// noise, filters and the conversion to 16-bit frames, all deterministic.
#pragma once

#include <cstdint>
#include <vector>

constexpr double kPi = 3.14159265358979323846;
constexpr double kMiddleC = 261.6255653005986; // Hz of C-4 in the song

// Repeatable white noise in -1..1 (xorshift32): same seed, same sound.
struct NoiseSource {
    uint32_t state;
};
double NextNoise(NoiseSource& noise);

// One sine component of a loop: it completes a whole number of cycles in the
// loop, so the loop joins without a click.
struct Partial {
    int cycles;
    double amplitude;
    double phase; // radians
};
std::vector<double> RenderLoop(int frames, const std::vector<Partial>& partials);

// Adds the harmonics of a sawtooth-like tone whose fundamental makes
// `cycles` cycles over the loop; harmonic h gets 1/h^rolloff, harmonics
// at or above `maxCyclesPerFrame` are left out so the sample stays band-limited.
void AddHarmonics(std::vector<Partial>& partials, int cycles, int loopFrames, int harmonics,
                  double rolloff, double gain, double maxCyclesPerFrame, NoiseSource& phases);

// First-order filters, for colouring noise.
struct OnePole {
    double coefficient;
    double state;
};
OnePole MakeOnePole(double cutoffHz, double rate);
double LowPass(OnePole& filter, double input);
double HighPass(OnePole& filter, double input);

// Resonant low-pass (state-variable), retunable every frame and stable at
// any cutoff (held under half the rate). Damping 2 is flat, lower rings.
struct StateVariable {
    double low; // the integrators' states
    double band;
};
double ResonantLowPass(StateVariable& filter, double input, double cutoffHz, double rate,
                       double damping);

// Soft clipping: the signal scaled to a peak of 1 and passed through
// tanh(drive x). Rounds off the rare peaks where partials line up, so the
// sound gets louder for its peak.
void Saturate(std::vector<double>& signal, double drive);

// Linear fade to zero over the last `frames`, so a one-shot ends without a click.
void FadeOutTail(std::vector<double>& signal, int frames);

// Scales the signal so its highest magnitude becomes `peak` (0..1 of full
// scale) and rounds it to 16-bit frames.
std::vector<int16_t> ToFrames(const std::vector<double>& signal, double peak);

// The relative note and finetune that make a sample sound its own pitch:
// data with `cyclesPerFrame` cycles of its fundamental per frame plays
// middle C at note C-4.
struct Tuning {
    int relativeNote;
    int finetune;
};
Tuning TuneForMiddleC(double cyclesPerFrame);
