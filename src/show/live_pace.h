// The show played as if it ran live at a steady frame rate. Live, the turns
// advance once per presented frame, so their speed is the frame rate times
// the step. A program that samples the show at another rate (a video, a
// browser's display) shows the latest live frame at or before its own time,
// and runs the motion of the live frames it skips without drawing them.
#pragma once

#include <cstdint>

// The rate the capture and the web show play the show at unless told
// otherwise: about what the live show reaches at 800 x 600 with Mesa's
// software renderer.
constexpr std::int64_t kDefaultLiveFramesPerSecond = 300;

class LivePace {
  public:
    // `rateNum` / `rateDen` live frames a second, both positive. Live frame j
    // sits at clock (j + 1/2) / rate.
    LivePace(std::int64_t rateNum, std::int64_t rateDen);

    // The latest live frame at or before `num` / `den` seconds (den > 0), or
    // -1 when there is none yet.
    std::int64_t LatestFrameAt(std::int64_t num, std::int64_t den) const;

    // The show clock of live frame `frame`, rounded once to single precision.
    float FrameClock(std::int64_t frame) const;

    // Brings the turns to where the live run has them just before it draws
    // the latest live frame at or before `num` / `den` seconds (the first frame
    // before that), and returns that frame's clock. Times must not decrease:
    // an earlier time gives the frame reached last. The caller draws the frame
    // with the turns saved and restores them after, so that the next call
    // carries the motion on from here.
    float Seek(std::int64_t num, std::int64_t den);
    float Seek(double seconds); // to the microsecond
    // The same for live frame `frame` itself.
    float SeekFrame(std::int64_t frame);

  private:
    std::int64_t rateNum_;
    std::int64_t rateDen_;
    std::int64_t next_ = 0;
};
