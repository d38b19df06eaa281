// The synthesiser's building blocks at the edges of their range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "synth.h"

namespace {

// The riser's resonant low-pass stays bounded from the lowest cutoff to just
// under half the rate, held there or swept, for any damping it is used with.
TEST(SoundtrackSynth, ResonantLowPassIsStableAtEveryCutoff) {
    constexpr double kRate = 22050.0;
    constexpr double kLowestHz = 20.0;
    constexpr double kHighestHz = 0.49 * kRate;
    constexpr int kFrames = 22050;
    constexpr double kBound = 8.0; // white noise in -1..1, with a resonant peak
    for (double damping : {0.1, 0.5, 1.4}) {
        for (int sweep = 0; sweep < 3; ++sweep) {
            StateVariable filter{0.0, 0.0};
            NoiseSource noise{0x5eedu};
            double highest = 0.0;
            for (int i = 0; i < kFrames; ++i) {
                const double progress = double(i) / kFrames;
                const double cutoff = sweep == 0 ? kLowestHz
                                      : sweep == 1
                                          ? kHighestHz
                                          : kLowestHz * std::pow(kHighestHz / kLowestHz, progress);
                const double out =
                    ResonantLowPass(filter, NextNoise(noise), cutoff, kRate, damping);
                highest = std::max(highest, std::isfinite(out) ? std::fabs(out) : 1e300);
            }
            EXPECT_LT(highest, kBound) << "damping " << damping << " sweep " << sweep;
        }
    }
}

} // namespace
