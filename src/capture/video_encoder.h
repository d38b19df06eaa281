// The video stream: the renderer's RGBA frames converted (BT.709, flipped
// upright through a negative stride) and encoded into the muxer.
#pragma once

#include <cstdint>
#include <string>

#include "capture/output_format.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;
class Muxer;

class VideoEncoder {
  public:
    // Throws std::runtime_error naming the problem (no such encoder, a size
    // the codec cannot take, a bad preset...).
    VideoEncoder(Muxer& muxer, const OutputFormat& format, int width, int height,
                 std::int64_t fpsNum, std::int64_t fpsDen, int crf, const std::string& preset);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Opens the codec; call after every stream is added and before the muxer begins.
    void Open();
    // `rgba` holds rows bottom up, as OpenGL reads them; `index` counts from 0.
    void Encode(const std::uint8_t* rgba, std::int64_t index);
    void Flush();

  private:
    void Drain();

    Muxer& muxer_;
    int width_;
    int height_;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* convert_ = nullptr;
    std::string name_;
};
