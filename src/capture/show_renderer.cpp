#include "capture/show_renderer.h"

#include <GL/gl.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "show/render_scene.h"

ShowRenderer::ShowRenderer(int width, int height, int samples, bool fill, std::int64_t rateNum,
                           std::int64_t rateDen)
    : pace_(rateNum, rateDen) {
    const int most = FrameTarget::MaxSamples();
    int perPass = samples;
    if (samples > most) {
        if (samples % most != 0) {
            throw std::runtime_error(
                "--aa " + std::to_string(samples) + ": this renderer multisamples up to " +
                std::to_string(most) + " samples; beyond that give a multiple of " +
                std::to_string(most) + " (jittered passes of " + std::to_string(most) + ")");
        }
        perPass = most;
        passes_ = samples / most;
    }
    target_ = std::make_unique<FrameTarget>(width, height, perPass);
    box_ = FitPicture(width, height, fill);
    target_->LimitToPicture(box_.x, box_.y, box_.width, box_.height);
    SetUpShowView(box_, 0, 0);
    if (passes_ > 1) {
        pass_.resize(target_->FrameBytes());
        sums_.resize(target_->FrameBytes());
        averaged_.resize(target_->FrameBytes());
    }
}

bool ShowRenderer::NeedsDrawing(std::int64_t live) {
    const float t = pace_.SeekFrame(live);
    clock_ = t;
    return !fingerprint_.SameAsBefore([t] { DrawShowFrameKeepingTurns(t); });
}

void ShowRenderer::Draw() {
    const float t = clock_;
    // The next live frame's motion starts from the turns this one started
    // with, and every pass draws the same moment.
    if (passes_ == 1) {
        target_->BeginPass();
        DrawShowFrameKeepingTurns(t);
        target_->EndPass();
        target_->StartReadback();
    } else {
        std::memset(sums_.data(), 0, sums_.size() * sizeof sums_[0]);
        for (int pass = 0; pass < passes_; ++pass) {
            double x = 0, y = 0;
            PassJitter(pass, passes_, x, y);
            SetUpShowView(box_, x, y);
            target_->BeginPass();
            DrawShowFrameKeepingTurns(t);
            target_->EndPass();
            target_->ReadNow(pass_.data());
            for (std::size_t i = 0; i < pass_.size(); ++i) {
                sums_[i] += pass_[i];
            }
        }
        const std::uint32_t half = static_cast<std::uint32_t>(passes_) / 2;
        for (std::size_t i = 0; i < sums_.size(); ++i) {
            averaged_[i] = static_cast<std::uint8_t>((sums_[i] + half) / passes_);
        }
    }
    if (glGetError() == GL_OUT_OF_MEMORY) {
        throw std::runtime_error("the renderer ran out of memory");
    }
    ++pending_;
}

bool ShowRenderer::Pending() const {
    return pending_ > 0;
}

void ShowRenderer::FinishFrame(std::uint8_t* rgba) {
    if (passes_ == 1) {
        target_->FinishReadback(rgba);
    } else {
        std::memcpy(rgba, averaged_.data(), averaged_.size());
    }
    --pending_;
}
