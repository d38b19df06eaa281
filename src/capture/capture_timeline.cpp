#include "capture/capture_timeline.h"

#include <algorithm>
#include <cmath>

#include "show/timeline.h"

namespace {

// Frame index of a time in seconds, to the microsecond so that typed-in
// times such as 3.1 land where they are meant to.
std::int64_t FrameAtOrAfter(double seconds, std::int64_t fpsNum, std::int64_t fpsDen) {
    const std::int64_t micros = std::llround(seconds * 1e6);
    const __int128 top = static_cast<__int128>(micros) * fpsNum;
    const __int128 bottom = static_cast<__int128>(1000000) * fpsDen;
    return static_cast<std::int64_t>((top + bottom - 1) / bottom);
}

} // namespace

CaptureTimeline::CaptureTimeline(std::int64_t fpsNum, std::int64_t fpsDen, std::int64_t rateNum,
                                 std::int64_t rateDen, double from, double to)
    : fpsNum_(fpsNum), fpsDen_(fpsDen), clocks_(rateNum, rateDen) {
    // The last live frame drawn: its clock is at most the end of the show.
    lastLive_ =
        std::max<std::int64_t>(clocks_.LatestFrameAt(static_cast<std::int64_t>(kShowEnd), 1), 0);
    while (clocks_.FrameClock(lastLive_ + 1) <= kShowEnd) {
        ++lastLive_;
    }
    while (lastLive_ > 0 && clocks_.FrameClock(lastLive_) > kShowEnd) {
        --lastLive_;
    }
    const double end = to < 0 ? kVideoEnd : std::min(to, kVideoEnd);
    // Frames whose start lies in [from, end).
    first_ = FrameAtOrAfter(from, fpsNum, fpsDen);
    end_ = std::max(first_, FrameAtOrAfter(end, fpsNum, fpsDen));
}

double CaptureTimeline::FrameMiddle(std::int64_t k) const {
    return static_cast<double>(2 * k + 1) * fpsDen_ / (2.0 * fpsNum_);
}

double CaptureTimeline::FrameStart(std::int64_t k) const {
    return static_cast<double>(k) * fpsDen_ / fpsNum_;
}

std::int64_t CaptureTimeline::LiveFrameOf(std::int64_t k) const {
    const std::int64_t live = clocks_.LatestFrameAt((2 * k + 1) * fpsDen_, 2 * fpsNum_);
    return std::clamp<std::int64_t>(live, 0, lastLive_);
}
