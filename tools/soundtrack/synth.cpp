#include "synth.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double kC4Rate = 8363.0; // frames per second read at C-4 with no tuning
constexpr int kSemitonesPerOctave = 12;
constexpr int kFinetuneSteps = 128; // per semitone
constexpr double kFullScale = 32767.0;

} // namespace

double NextNoise(NoiseSource& noise) {
    uint32_t x = noise.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    noise.state = x;
    return double(x) / double(UINT32_MAX) * 2.0 - 1.0;
}

std::vector<double> RenderLoop(int frames, const std::vector<Partial>& partials) {
    std::vector<double> signal(frames, 0.0);
    for (const Partial& partial : partials) {
        const double step = 2.0 * kPi * partial.cycles / frames;
        for (int i = 0; i < frames; ++i) {
            signal[i] += partial.amplitude * std::sin(step * i + partial.phase);
        }
    }
    return signal;
}

void AddHarmonics(std::vector<Partial>& partials, int cycles, int loopFrames, int harmonics,
                  double rolloff, double gain, double maxCyclesPerFrame, NoiseSource& phases) {
    for (int h = 1; h <= harmonics; ++h) {
        if (double(cycles) * h / loopFrames >= maxCyclesPerFrame) {
            break;
        }
        const double phase = (NextNoise(phases) + 1.0) * kPi;
        partials.push_back({cycles * h, gain / std::pow(h, rolloff), phase});
    }
}

OnePole MakeOnePole(double cutoffHz, double rate) {
    return {1.0 - std::exp(-2.0 * kPi * cutoffHz / rate), 0.0};
}

double LowPass(OnePole& filter, double input) {
    filter.state += filter.coefficient * (input - filter.state);
    return filter.state;
}

double HighPass(OnePole& filter, double input) {
    return input - LowPass(filter, input);
}

double ResonantLowPass(StateVariable& filter, double input, double cutoffHz, double rate,
                       double damping) {
    // The trapezoidal (zero-delay feedback) state-variable filter: stable at
    // every cutoff below half the rate, where the plain difference form blows
    // up once its coefficient passes about 1.5 (some 6 kHz at 22.05 kHz).
    constexpr double kHighestFraction = 0.49;
    const double g = std::tan(kPi * std::min(cutoffHz, kHighestFraction * rate) / rate);
    const double high =
        (input - (damping + g) * filter.band - filter.low) / (1.0 + damping * g + g * g);
    const double band = g * high + filter.band;
    const double low = g * band + filter.low;
    filter.band = g * high + band;
    filter.low = g * band + low;
    return low;
}

void Saturate(std::vector<double>& signal, double drive) {
    double highest = 0.0;
    for (double value : signal) {
        highest = std::max(highest, std::fabs(value));
    }
    if (highest == 0.0) {
        return;
    }
    for (double& value : signal) {
        value = std::tanh(drive * value / highest);
    }
}

void FadeOutTail(std::vector<double>& signal, int frames) {
    const int size = int(signal.size());
    const int first = std::max(0, size - frames);
    for (int i = first; i < size; ++i) {
        signal[i] *= double(size - 1 - i) / frames;
    }
}

std::vector<int16_t> ToFrames(const std::vector<double>& signal, double peak) {
    double highest = 0.0;
    for (double value : signal) {
        highest = std::max(highest, std::fabs(value));
    }
    if (highest == 0.0) {
        throw std::runtime_error("synthesis produced a silent sample");
    }
    const double scale = peak * kFullScale / highest;
    std::vector<int16_t> frames;
    frames.reserve(signal.size());
    for (double value : signal) {
        frames.push_back(int16_t(std::lround(value * scale)));
    }
    return frames;
}

Tuning TuneForMiddleC(double cyclesPerFrame) {
    const double semitones = kSemitonesPerOctave * std::log2(kMiddleC / (cyclesPerFrame * kC4Rate));
    int note = int(std::floor(semitones));
    int finetune = int(std::lround((semitones - note) * kFinetuneSteps));
    if (finetune == kFinetuneSteps) {
        ++note;
        finetune = 0;
    }
    return {note, finetune};
}
