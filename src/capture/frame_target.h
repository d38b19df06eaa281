// Where the capture draws: a multisampled framebuffer object, resolved into a
// single-sampled one and read back through a ring of pixel buffer objects, so
// that the renderer runs on while an earlier frame's pixels are copied out.
#pragma once

#include <cstdint>

#include <GL/gl.h>

class FrameTarget {
  public:
    // `samples` per pixel in one pass: 1 draws straight into the resolved
    // buffer. Throws std::runtime_error when the driver cannot give exactly that.
    FrameTarget(int width, int height, int samples);
    ~FrameTarget();
    FrameTarget(const FrameTarget&) = delete;
    FrameTarget& operator=(const FrameTarget&) = delete;

    // The most samples a pass can have on this driver.
    static int MaxSamples();

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t FrameBytes() const; // RGBA, rows bottom up

    // Limits clearing and resolving to the picture's rectangle; the rest of
    // the frame stays black. Costs scale with the area: bars cost nothing.
    void LimitToPicture(int x, int y, int width, int height);

    void BeginPass(); // binds the framebuffer to draw into
    void EndPass();   // resolves the samples into the single-sampled picture

    // Starts copying the resolved picture into the next buffer of the ring.
    void StartReadback();
    // Copies the oldest started readback into `rgba`; false when none is pending.
    bool FinishReadback(std::uint8_t* rgba);
    // Reads the resolved picture now.
    void ReadNow(std::uint8_t* rgba);

  private:
    static constexpr int kRing = 2;
    int width_;
    int height_;
    int samples_;
    int boxX_ = 0, boxY_ = 0, boxWidth_, boxHeight_;
    GLuint multisampled_ = 0;
    GLuint resolved_ = 0;
    GLuint renderbuffers_[2] = {}; // resolved colour, multisampled colour
    GLuint pixelBuffers_[kRing] = {};
    int started_ = 0;  // readbacks started
    int finished_ = 0; // readbacks finished
};
