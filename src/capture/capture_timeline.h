// Which moment of the show each video frame shows. Frame k covers
// [k, k + 1) / fps seconds and shows the middle of it, computed from k alone,
// so that no frame falls on a bound of the show's windows and nothing drifts.
// The show is sampled as if it ran live at the motion rate: frame k shows the
// latest live frame at or before its time. After the end of the show the
// screen holds its last frame for the fade.
#pragma once

#include <cstdint>

#include "show/live_pace.h"
#include "show/timeline.h" // kVideoEnd: the show's end and its fade

class CaptureTimeline {
  public:
    // Frames from `from` to `to` seconds (to < 0: to the end of the video).
    CaptureTimeline(std::int64_t fpsNum, std::int64_t fpsDen, std::int64_t rateNum,
                    std::int64_t rateDen, double from, double to);

    std::int64_t FirstFrame() const { return first_; }
    std::int64_t EndFrame() const { return end_; } // one past the last
    std::int64_t FrameCount() const { return end_ - first_; }

    // The middle of frame k, in seconds.
    double FrameMiddle(std::int64_t k) const;
    // The start of frame k, in seconds.
    double FrameStart(std::int64_t k) const;

    // The live frame that video frame k shows: the latest at or before its
    // middle, never before the first, never past the last one the show draws.
    std::int64_t LiveFrameOf(std::int64_t k) const;

    const LivePace& Pace() const { return clocks_; }

  private:
    std::int64_t fpsNum_;
    std::int64_t fpsDen_;
    LivePace clocks_;
    std::int64_t lastLive_;
    std::int64_t first_;
    std::int64_t end_;
};
