#include "soundtrack_bands.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "soundtrack_audio.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr size_t kBlockFrames = 4096; // ~93 ms: 10.8 Hz bins for the whole-song bands
constexpr double kEmpty = 1e-30;

// In-place iterative radix-2 FFT; `data.size()` is a power of two.
void Fft(std::vector<std::complex<double>>& data) {
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(data[i], data[j]);
        }
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * kPi / double(length));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = data[i + k];
                const std::complex<double> odd = data[i + k + length / 2] * w;
                data[i + k] = even + odd;
                data[i + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}

// Power per bin (up to half the rate) of `frames` frames of both channels
// from frame `first`, summed over the channels.
std::vector<double> Power(const std::vector<float>& stereo, size_t first, size_t frames) {
    size_t size = 1;
    while (size < frames) {
        size <<= 1;
    }
    std::vector<double> power(size / 2 + 1, 0.0);
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<std::complex<double>> data(size, 0.0);
        for (size_t i = 0; i < frames && 2 * (first + i) + 1 < stereo.size(); ++i) {
            const double window = 0.5 - 0.5 * std::cos(2.0 * kPi * (double(i) + 0.5) / frames);
            data[i] = window * stereo[2 * (first + i) + channel];
        }
        Fft(data);
        for (size_t k = 0; k < power.size(); ++k) {
            power[k] += std::norm(data[k]);
        }
    }
    return power;
}

double BinHz(size_t bins) {
    return double(kRenderRate) / double(2 * (bins - 1));
}

} // namespace

double BandEnergy(const std::vector<float>& stereo, double start, double seconds, double lowHz,
                  double highHz) {
    const size_t first = size_t(std::max(0.0, start) * kRenderRate);
    const std::vector<double> power = Power(stereo, first, size_t(seconds * kRenderRate));
    const double binHz = BinHz(power.size());
    double energy = 0.0;
    for (size_t k = 0; k < power.size(); ++k) {
        const double hz = k * binHz;
        if (hz >= lowHz && hz <= highHz) {
            energy += power[k];
        }
    }
    return energy;
}

double ShareAboveDb(const std::vector<float>& stereo, double hz) {
    double above = 0.0;
    double total = 0.0;
    for (size_t first = 0; (first + kBlockFrames) * 2 <= stereo.size(); first += kBlockFrames) {
        const std::vector<double> power = Power(stereo, first, kBlockFrames);
        const double binHz = BinHz(power.size());
        for (size_t k = 1; k < power.size(); ++k) {
            total += power[k];
            above += k * binHz >= hz ? power[k] : 0.0;
        }
    }
    return 10.0 * std::log10(std::max(above, kEmpty) / std::max(total, kEmpty));
}
