#include "capture/audio_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <stdexcept>
#include <vector>

#include "capture/av_error.h"
#include "capture/muxer.h"
#include "music/music_render.h"

namespace {

constexpr std::int64_t kAacBitRate = 192000;
constexpr std::int64_t kOpusBitRate = 160000;
constexpr int kPcmFrameSize = 2048; // PCM takes any size

} // namespace

AudioEncoder::AudioEncoder(Muxer& muxer, const std::string& codecName, int sampleRate)
    : muxer_(muxer), name_(codecName) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName.c_str());
    if (codec == nullptr) {
        throw std::runtime_error("unknown encoder " + codecName +
                                 ": this FFmpeg library was built without it");
    }
    codec_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (codec_ == nullptr || frame_ == nullptr || packet_ == nullptr) {
        throw std::runtime_error("out of memory");
    }
    codec_->sample_rate = sampleRate;
    codec_->time_base = AVRational{1, sampleRate};
    av_channel_layout_default(&codec_->ch_layout, kMusicChannels);
    codec_->sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* format = codec->sample_fmts; format && *format != AV_SAMPLE_FMT_NONE;
         ++format) {
        if (*format == AV_SAMPLE_FMT_S16) { // no conversion where the codec takes our samples
            codec_->sample_fmt = AV_SAMPLE_FMT_S16;
        }
    }
    if (codecName == "aac") {
        codec_->bit_rate = kAacBitRate;
    } else if (codecName == "libopus") {
        codec_->bit_rate = kOpusBitRate;
    }
    if (muxer.WantsGlobalHeader()) {
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
}

void AudioEncoder::Open() {
    CheckAv(avcodec_open2(codec_, codec_->codec, nullptr),
            "cannot start the " + name_ + " encoder");
    stream_ = muxer_.AddStream(codec_);
    frameSize_ = codec_->frame_size > 0 ? codec_->frame_size : kPcmFrameSize;

    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, kMusicChannels);
    CheckAv(swr_alloc_set_opts2(&convert_, &codec_->ch_layout, codec_->sample_fmt,
                                codec_->sample_rate, &stereo, AV_SAMPLE_FMT_S16, kMusicRate, 0,
                                nullptr),
            "cannot convert the sound for " + name_);
    CheckAv(swr_init(convert_), "cannot convert the sound for " + name_);
    fifo_ = av_audio_fifo_alloc(codec_->sample_fmt, kMusicChannels, frameSize_);
    if (fifo_ == nullptr) {
        throw std::runtime_error("out of memory");
    }
}

AudioEncoder::~AudioEncoder() {
    av_audio_fifo_free(fifo_);
    swr_free(&convert_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&codec_);
}

void AudioEncoder::Encode(const std::int16_t* stereo, int frames) {
    const int room = swr_get_out_samples(convert_, frames);
    uint8_t** converted = nullptr;
    CheckAv(av_samples_alloc_array_and_samples(&converted, nullptr, kMusicChannels, room,
                                               codec_->sample_fmt, 0),
            "out of memory");
    const std::uint8_t* input[1] = {reinterpret_cast<const std::uint8_t*>(stereo)};
    const int made = swr_convert(convert_, converted, room, input, frames);
    const int written =
        made > 0 ? av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), made) : made;
    av_freep(&converted[0]);
    av_freep(&converted);
    CheckAv(written, "cannot convert the sound for " + name_);
    SendFrames(false);
}

void AudioEncoder::Flush() {
    // What the resampler still holds, then the last short frame.
    const int room = swr_get_out_samples(convert_, 0);
    if (room > 0) {
        uint8_t** converted = nullptr;
        CheckAv(av_samples_alloc_array_and_samples(&converted, nullptr, kMusicChannels, room,
                                                   codec_->sample_fmt, 0),
                "out of memory");
        const int made = swr_convert(convert_, converted, room, nullptr, 0);
        if (made > 0) {
            av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), made);
        }
        av_freep(&converted[0]);
        av_freep(&converted);
    }
    SendFrames(true);
    CheckAv(avcodec_send_frame(codec_, nullptr), name_ + " cannot finish");
    Drain();
}

void AudioEncoder::SendFrames(bool all) {
    const bool smallLast = (codec_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0 ||
                           codec_->frame_size == 0;
    while (av_audio_fifo_size(fifo_) >= frameSize_ || (all && av_audio_fifo_size(fifo_) > 0)) {
        const int available = av_audio_fifo_size(fifo_);
        const int take = available < frameSize_ ? available : frameSize_;
        av_frame_unref(frame_);
        frame_->nb_samples = take < frameSize_ && !smallLast ? frameSize_ : take;
        frame_->format = codec_->sample_fmt;
        frame_->sample_rate = codec_->sample_rate;
        CheckAv(av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout), "out of memory");
        CheckAv(av_frame_get_buffer(frame_, 0), "out of memory");
        av_samples_set_silence(frame_->extended_data, 0, frame_->nb_samples, kMusicChannels,
                               codec_->sample_fmt);
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->extended_data), take);
        frame_->pts = sent_;
        sent_ += frame_->nb_samples;
        CheckAv(avcodec_send_frame(codec_, frame_), name_ + " cannot encode the sound");
        Drain();
    }
}

void AudioEncoder::Drain() {
    muxer_.WriteEncoded(codec_, packet_, stream_, name_ + " cannot encode the sound");
}
