#include "pcm_compare.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kFullScale = 32768.0;

bool SameFrames(const std::vector<StereoFrame>& a, long aFrom, const std::vector<StereoFrame>& b,
                long bFrom, long count) {
    if (aFrom < 0 || bFrom < 0 || aFrom + count > long(a.size()) ||
        bFrom + count > long(b.size())) {
        return false;
    }
    return std::equal(a.begin() + aFrom, a.begin() + aFrom + count, b.begin() + bFrom);
}

} // namespace

std::vector<StereoFrame> FramesOf(const std::string& rawBytes) {
    std::vector<StereoFrame> frames(rawBytes.size() / sizeof(StereoFrame));
    std::memcpy(frames.data(), rawBytes.data(), frames.size() * sizeof(StereoFrame));
    return frames;
}

long FirstSound(const std::vector<StereoFrame>& frames) {
    const auto sound =
        std::find_if(frames.begin(), frames.end(), [](StereoFrame f) { return f != 0; });
    return sound == frames.end() ? -1 : long(sound - frames.begin());
}

BlockMatch MatchBlocks(const std::vector<StereoFrame>& reference,
                       const std::vector<StereoFrame>& recording, long from, long to,
                       int blockFrames, long maxShift) {
    BlockMatch match;
    bool found = false; // whether `offset` is known yet
    long offset = 0;
    for (long block = from; block + blockFrames <= to; block += blockFrames) {
        if (std::all_of(reference.begin() + block, reference.begin() + block + blockFrames,
                        [](StereoFrame f) { return f == 0; })) {
            continue; // silence is found anywhere
        }
        ++match.blocks;
        if (found && SameFrames(reference, block, recording, block + offset, blockFrames)) {
            ++match.matched;
            match.lastMatchEnd = block + offset + blockFrames;
            continue;
        }
        // Search around the last offset, or through the whole recording for the first.
        const int matchedBefore = match.matched;
        const long first = std::max(found ? offset - maxShift : -block, -block);
        const long last = found ? offset + maxShift : long(recording.size()) - block;
        for (long candidate = first; candidate <= last; ++candidate) {
            if (block + candidate + blockFrames > long(recording.size())) {
                break;
            }
            if (candidate != offset && recording[block + candidate] == reference[block] &&
                SameFrames(reference, block, recording, block + candidate, blockFrames)) {
                match.shifts += found;
                if (!found) {
                    match.firstOffset = candidate;
                }
                found = true;
                offset = candidate;
                ++match.matched;
                match.lastMatchEnd = block + offset + blockFrames;
                break;
            }
        }
        if (match.matched == matchedBefore) {
            match.missed.push_back(block);
        }
    }
    match.lastOffset = offset;
    return match;
}

double Level(const std::vector<StereoFrame>& frames, long from, long count) {
    double sum = 0;
    long used = 0;
    for (long i = std::max(from, 0L); i < from + count && i < long(frames.size()); ++i, ++used) {
        const auto left = static_cast<std::int16_t>(frames[i] & 0xffff);
        const auto right = static_cast<std::int16_t>(frames[i] >> 16);
        sum += double(left) * left + double(right) * right;
    }
    return used == 0 ? 0.0 : std::sqrt(sum / (2.0 * used)) / kFullScale;
}
