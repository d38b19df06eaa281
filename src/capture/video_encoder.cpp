#include "capture/video_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <stdexcept>

#include "capture/av_error.h"
#include "capture/muxer.h"

namespace {

constexpr int kBytesPerPixel = 4;

// The codecs' own quality scales: x264's default, and a VP9 level of about
// the same look.
constexpr int kDefaultH264Crf = 23;
constexpr int kDefaultVp9Crf = 32;
constexpr const char* kDefaultH264Preset = "veryfast"; // keeps the whole show near real time
constexpr const char* kVp9Deadline = "good";
constexpr int kVp9CpuUsed = 4;

// x264's presets, fastest first; x264 itself would print its own line for others.
constexpr const char* kH264Presets[] = {"ultrafast", "superfast", "veryfast", "faster",
                                        "fast",      "medium",    "slow",     "slower",
                                        "veryslow",  "placebo"};

bool IsH264(const std::string& name) {
    return name == "libx264";
}

bool IsH264Preset(const std::string& name) {
    for (const char* preset : kH264Presets) {
        if (name == preset) {
            return true;
        }
    }
    return false;
}

} // namespace

VideoEncoder::VideoEncoder(Muxer& muxer, const OutputFormat& format, int width, int height,
                           std::int64_t fpsNum, std::int64_t fpsDen, int crf,
                           const std::string& preset)
    : muxer_(muxer), width_(width), height_(height), name_(format.videoCodec) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name_.c_str());
    if (codec == nullptr) {
        throw std::runtime_error("unknown encoder " + name_ +
                                 ": this FFmpeg library was built without it");
    }
    const bool picture = format.folder;
    if (!picture && (width % 2 != 0 || height % 2 != 0)) {
        throw std::runtime_error("--size " + std::to_string(width) + "x" + std::to_string(height) +
                                 ": " + name_ + " in yuv420p needs an even width and height");
    }
    if (!preset.empty() && !IsH264(name_)) {
        throw std::runtime_error("--preset: only H.264 (.mp4, .mkv) takes a preset, not " + name_);
    }
    if (!preset.empty() && !IsH264Preset(preset)) {
        throw std::runtime_error("--preset " + preset +
                                 ": not an x264 preset (ultrafast ... veryfast ... veryslow)");
    }
    codec_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (codec_ == nullptr || frame_ == nullptr || packet_ == nullptr) {
        throw std::runtime_error("out of memory");
    }
    codec_->width = width;
    codec_->height = height;
    codec_->time_base = AVRational{static_cast<int>(fpsDen), static_cast<int>(fpsNum)};
    codec_->framerate = AVRational{static_cast<int>(fpsNum), static_cast<int>(fpsDen)};
    codec_->sample_aspect_ratio = AVRational{1, 1};
    if (picture) {
        codec_->pix_fmt = AV_PIX_FMT_RGB24;
    } else {
        codec_->pix_fmt = AV_PIX_FMT_YUV420P;
        codec_->color_range = AVCOL_RANGE_MPEG;
        codec_->colorspace = AVCOL_SPC_BT709;
        codec_->color_primaries = AVCOL_PRI_BT709;
        codec_->color_trc = AVCOL_TRC_BT709;
    }
    if (muxer.WantsGlobalHeader()) {
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (IsH264(name_)) {
        av_opt_set(codec_->priv_data, "preset",
                   preset.empty() ? kDefaultH264Preset : preset.c_str(), 0);
        av_opt_set_double(codec_->priv_data, "crf", crf < 0 ? kDefaultH264Crf : crf, 0);
    } else if (name_ == "libvpx-vp9") {
        codec_->bit_rate = 0; // constant quality
        av_opt_set_int(codec_->priv_data, "crf", crf < 0 ? kDefaultVp9Crf : crf, 0);
        av_opt_set(codec_->priv_data, "deadline", kVp9Deadline, 0);
        av_opt_set_int(codec_->priv_data, "cpu-used", kVp9CpuUsed, 0);
        av_opt_set_int(codec_->priv_data, "row-mt", 1, 0);
    } else if (crf >= 0) {
        throw std::runtime_error("--crf: " + name_ + " has no quality setting");
    }

    convert_ = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, codec_->pix_fmt,
                              SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (convert_ == nullptr) {
        throw std::runtime_error("cannot convert frames for " + name_);
    }
    if (!picture) {
        // Full-range RGB in, BT.709 limited-range YUV out.
        sws_setColorspaceDetails(convert_, sws_getCoefficients(SWS_CS_ITU709), 1,
                                 sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
    }
    frame_->format = codec_->pix_fmt;
    frame_->width = width;
    frame_->height = height;
    CheckAv(av_frame_get_buffer(frame_, 0), "out of memory for a frame");
}

void VideoEncoder::Open() {
    const int opened = avcodec_open2(codec_, codec_->codec, nullptr);
    if (opened < 0) {
        throw std::runtime_error("cannot start the " + name_ + " encoder at " +
                                 std::to_string(width_) + "x" + std::to_string(height_) + ": " +
                                 AvErrorText(opened) +
                                 (IsH264(name_) ? " (is --preset one of x264's presets?)" : ""));
    }
    stream_ = muxer_.AddStream(codec_);
    stream_->avg_frame_rate = codec_->framerate;
}

VideoEncoder::~VideoEncoder() {
    sws_freeContext(convert_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&codec_);
}

void VideoEncoder::Encode(const std::uint8_t* rgba, std::int64_t index) {
    CheckAv(av_frame_make_writable(frame_), "out of memory for a frame");
    // Rows come bottom up: start at the last and step backwards.
    const int stride = width_ * kBytesPerPixel;
    const std::uint8_t* source[1] = {rgba + static_cast<std::size_t>(height_ - 1) * stride};
    const int strides[1] = {-stride};
    sws_scale(convert_, source, strides, 0, height_, frame_->data, frame_->linesize);
    frame_->pts = index;
    CheckAv(avcodec_send_frame(codec_, frame_), name_ + " cannot encode a frame");
    Drain();
}

void VideoEncoder::Flush() {
    CheckAv(avcodec_send_frame(codec_, nullptr), name_ + " cannot finish");
    Drain();
}

void VideoEncoder::Drain() {
    muxer_.WriteEncoded(codec_, packet_, stream_, name_ + " cannot encode a frame");
}
