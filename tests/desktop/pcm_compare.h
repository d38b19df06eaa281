// Comparing a recording from the sound server with the show's own mix:
// 16-bit stereo frames at 44.1 kHz, matched sample for sample block by block
// (a recording may hold short gaps of silence when the machine is loaded),
// and the level of one against the other over time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSampleRate = 44100;

// One stereo frame, both channels in one word, so that frames compare exactly.
using StereoFrame = std::uint32_t;

std::vector<StereoFrame> FramesOf(const std::string& rawBytes);

// The index of the first frame that is not silence, or -1.
long FirstSound(const std::vector<StereoFrame>& frames);

struct BlockMatch {
    int blocks = 0;  // blocks of the reference compared (silent ones are left out)
    int matched = 0; // found sample for sample in the recording
    int shifts = 0;  // times the offset moved on: gaps in the recording
    long firstOffset = 0, lastOffset = 0; // recording index minus reference index
    std::vector<long> missed;             // reference index of each block not found
    long lastMatchEnd = -1;               // recording index after the last block found
};

// Looks for the reference frames [from, to) in the recording, block by block,
// in order: each block where the last one ended, or else within `maxShift`
// frames of that (a gap delays the rest; lost frames bring it forward).
BlockMatch MatchBlocks(const std::vector<StereoFrame>& reference,
                       const std::vector<StereoFrame>& recording, long from, long to,
                       int blockFrames, long maxShift);

// The root-mean-square level (0..1 of full scale) of frames [from, from + count).
double Level(const std::vector<StereoFrame>& frames, long from, long count);
