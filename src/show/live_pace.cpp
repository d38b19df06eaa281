#include "show/live_pace.h"

#include <algorithm>
#include <cmath>

#include "show/schedule.h"

namespace {
constexpr double kMicrosecondsPerSecond = 1e6;
}

LivePace::LivePace(std::int64_t rateNum, std::int64_t rateDen)
    : rateNum_(rateNum), rateDen_(rateDen) {}

std::int64_t LivePace::LatestFrameAt(std::int64_t num, std::int64_t den) const {
    // (2j + 1) / (2 rate) <= num / den, in integers so that a sampler at the
    // live rate itself lands on its own frames exactly.
    const __int128 top =
        static_cast<__int128>(2) * rateNum_ * num - static_cast<__int128>(rateDen_) * den;
    const __int128 bottom = static_cast<__int128>(2) * rateDen_ * den;
    if (top < 0) {
        return -1;
    }
    return static_cast<std::int64_t>(top / bottom);
}

float LivePace::FrameClock(std::int64_t frame) const {
    const long double seconds = static_cast<long double>(2 * frame + 1) * rateDen_ /
                                (static_cast<long double>(2) * rateNum_);
    return static_cast<float>(seconds);
}

float LivePace::Seek(std::int64_t num, std::int64_t den) {
    return SeekFrame(LatestFrameAt(num, den));
}

float LivePace::SeekFrame(std::int64_t frame) {
    frame = std::max(frame, next_);
    for (; next_ < frame; ++next_) {
        RunScheduleMotion(FrameClock(next_));
    }
    return FrameClock(frame);
}

float LivePace::Seek(double seconds) {
    return Seek(std::llround(seconds * kMicrosecondsPerSecond),
                static_cast<std::int64_t>(kMicrosecondsPerSecond));
}
