// Energy by frequency band in rendered stereo audio, by a small FFT: enough
// to weigh the top octave against the whole, or a kick against the bass.
#pragma once

#include <vector>

// Energy (both channels summed, arbitrary units) between `lowHz` and `highHz`
// in `seconds` of stereo from `start`, Hann-windowed and zero-padded to a
// power of two.
double BandEnergy(const std::vector<float>& stereo, double start, double seconds, double lowHz,
                  double highHz);

// The share of the whole render's energy at or above `hz`, in dB (0 = all of it).
double ShareAboveDb(const std::vector<float>& stereo, double hz);
