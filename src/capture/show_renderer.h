// Draws live frames of the show off screen: the show's own frame code into the
// capture's framebuffer, with as many samples per pixel as asked (multisampled
// passes, jittered when one pass cannot hold them all), and the turns left
// exactly as the live show leaves them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "capture/egl_context.h"
#include "capture/frame_fingerprint.h"
#include "capture/frame_target.h"
#include "capture/show_framing.h"
#include "show/live_pace.h"

class ShowRenderer {
  public:
    // Throws std::runtime_error when the context or the sample count cannot be had.
    ShowRenderer(int width, int height, int samples, bool fill, std::int64_t rateNum,
                 std::int64_t rateDen);

    std::size_t FrameBytes() const { return target_->FrameBytes(); }

    // Brings the show to live frame `live` (never earlier than the last one)
    // by running the motion of the live frames before it. False when that
    // frame would draw exactly what the last one drawn did.
    bool NeedsDrawing(std::int64_t live);
    // Draws the live frame NeedsDrawing reached. With one pass the pixels come
    // later from FinishFrame; with jittered passes they are ready at once and
    // FinishFrame hands them over.
    void Draw();
    // True when a drawn frame is still to be handed over.
    bool Pending() const;
    // Hands over the oldest drawn frame's pixels (RGBA, rows bottom up).
    void FinishFrame(std::uint8_t* rgba);
    // How many drawn frames may wait before the next must be handed over.
    int Depth() const { return passes_ == 1 ? 2 : 1; }

  private:
    EglContext context_;
    std::unique_ptr<FrameTarget> target_;
    PictureBox box_;
    int passes_ = 1;
    LivePace pace_;
    std::vector<std::uint8_t> pass_;
    std::vector<std::uint32_t> sums_;
    std::vector<std::uint8_t> averaged_;
    int pending_ = 0;
    FrameFingerprint fingerprint_;
    float clock_ = 0; // of the live frame reached
};
