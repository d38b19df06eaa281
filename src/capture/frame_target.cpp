#define GL_GLEXT_PROTOTYPES
#include "capture/frame_target.h"

#include <GL/glext.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

constexpr int kBytesPerPixel = 4;

// Colour with eight bits a channel, as the show's window has. The show never
// enables the depth test, so its depth buffer changes no pixel: the capture
// leaves it out and saves clearing it every frame.
void AttachStorage(GLuint framebuffer, GLuint colour, int samples, int width, int height) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
}

} // namespace

int FrameTarget::MaxSamples() {
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    return most < 1 ? 1 : most;
}

FrameTarget::FrameTarget(int width, int height, int samples)
    : width_(width), height_(height), samples_(samples), boxWidth_(width), boxHeight_(height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (width > largest || height > largest) {
        throw std::runtime_error("--size: " + std::to_string(width) + "x" + std::to_string(height) +
                                 " is larger than the renderer's " + std::to_string(largest) +
                                 " pixels a side");
    }
    glGenRenderbuffers(2, renderbuffers_);
    glGenFramebuffers(1, &resolved_);
    AttachStorage(resolved_, renderbuffers_[0], 0, width, height);
    if (samples > 1) {
        glGenFramebuffers(1, &multisampled_);
        AttachStorage(multisampled_, renderbuffers_[1], samples, width, height);
        GLint got = 0;
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &got);
        if (got != samples) {
            throw std::runtime_error("--aa " + std::to_string(samples) +
                                     ": the renderer cannot multisample at that level (it gives " +
                                     std::to_string(got) + " samples; at most " +
                                     std::to_string(MaxSamples()) + ")");
        }
    }
    for (GLuint framebuffer : {resolved_, multisampled_}) {
        if (framebuffer == 0) {
            continue;
        }
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            throw std::runtime_error("the renderer cannot draw off screen at " +
                                     std::to_string(width) + "x" + std::to_string(height) +
                                     " with " + std::to_string(samples) + " samples");
        }
    }
    glGenBuffers(kRing, pixelBuffers_);
    for (GLuint buffer : pixelBuffers_) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(FrameBytes()), nullptr,
                     GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        throw std::runtime_error("the renderer cannot hold " + std::to_string(width) + "x" +
                                 std::to_string(height) + " frames");
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

FrameTarget::~FrameTarget() {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteBuffers(kRing, pixelBuffers_);
    glDeleteFramebuffers(1, &resolved_);
    if (multisampled_ != 0) {
        glDeleteFramebuffers(1, &multisampled_);
    }
    glDeleteRenderbuffers(2, renderbuffers_);
}

std::size_t FrameTarget::FrameBytes() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * kBytesPerPixel;
}

void FrameTarget::LimitToPicture(int x, int y, int width, int height) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    for (GLuint framebuffer : {resolved_, multisampled_}) {
        if (framebuffer != 0) {
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glClear(GL_COLOR_BUFFER_BIT);
        }
    }
    // The show clears the whole framebuffer each frame: the scissor keeps
    // that to the picture. The show itself never uses the scissor.
    glScissor(x, y, width, height);
    glEnable(GL_SCISSOR_TEST);
    boxX_ = x;
    boxY_ = y;
    boxWidth_ = width;
    boxHeight_ = height;
}

void FrameTarget::BeginPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, samples_ > 1 ? multisampled_ : resolved_);
}

void FrameTarget::EndPass() {
    if (samples_ > 1) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampled_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolved_);
        const int right = boxX_ + boxWidth_, top = boxY_ + boxHeight_;
        glBlitFramebuffer(boxX_, boxY_, right, top, boxX_, boxY_, right, top, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, resolved_);
}

void FrameTarget::StartReadback() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolved_);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers_[started_ % kRing]);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++started_;
    if (started_ - finished_ > kRing) {
        throw std::logic_error("more readbacks started than the ring holds");
    }
}

bool FrameTarget::FinishReadback(std::uint8_t* rgba) {
    if (finished_ == started_) {
        return false;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers_[finished_ % kRing]);
    const void* mapped = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0,
                                          static_cast<GLsizeiptr>(FrameBytes()), GL_MAP_READ_BIT);
    if (mapped == nullptr) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        throw std::runtime_error("the renderer cannot hand back a frame's pixels");
    }
    std::memcpy(rgba, mapped, FrameBytes());
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++finished_;
    return true;
}

void FrameTarget::ReadNow(std::uint8_t* rgba) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolved_);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
