#include "capture/muxer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <stdexcept>

#include "capture/av_error.h"

Muxer::Muxer(const std::string& format, const std::string& path, const std::string& shownName)
    : shownName_(shownName) {
    CheckAv(avformat_alloc_output_context2(&context_, nullptr, format.c_str(), path.c_str()),
            shownName + ": format " + format + " is not available");
}

Muxer::~Muxer() {
    if (opened_ && !finished_) {
        avio_closep(&context_->pb);
    }
    avformat_free_context(context_);
}

bool Muxer::WantsGlobalHeader() const {
    return (context_->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

AVStream* Muxer::AddStream(const AVCodecContext* codec) {
    AVStream* stream = avformat_new_stream(context_, nullptr);
    if (stream == nullptr) {
        throw std::runtime_error(shownName_ + ": out of memory");
    }
    CheckAv(avcodec_parameters_from_context(stream->codecpar, codec),
            shownName_ + ": cannot set up a stream");
    stream->time_base = codec->time_base;
    return stream;
}

void Muxer::Begin(const std::string& options) {
    if ((context_->oformat->flags & AVFMT_NOFILE) == 0) {
        CheckAv(avio_open(&context_->pb, context_->url, AVIO_FLAG_WRITE),
                "cannot write " + shownName_);
        opened_ = true;
    }
    AVDictionary* dictionary = nullptr;
    if (!options.empty()) {
        av_dict_parse_string(&dictionary, options.c_str(), "=", ":", 0);
    }
    const int result = avformat_write_header(context_, &dictionary);
    av_dict_free(&dictionary);
    CheckAv(result, "cannot write " + shownName_);
}

void Muxer::Write(AVPacket* packet, const AVCodecContext* codec, AVStream* stream) {
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    CheckAv(av_interleaved_write_frame(context_, packet), "cannot write " + shownName_);
    if (context_->pb != nullptr) { // buffered writes report their failure here
        CheckAv(context_->pb->error, "cannot write " + shownName_);
    }
}

void Muxer::WriteEncoded(AVCodecContext* codec, AVPacket* packet, AVStream* stream,
                         const std::string& failure) {
    for (;;) {
        const int result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return;
        }
        CheckAv(result, failure);
        Write(packet, codec, stream);
        av_packet_unref(packet);
    }
}

void Muxer::Finish() {
    CheckAv(av_write_trailer(context_), "cannot write " + shownName_);
    finished_ = true;
    if (opened_) {
        const int flushed = context_->pb->error;
        CheckAv(avio_closep(&context_->pb), "cannot write " + shownName_);
        CheckAv(flushed, "cannot write " + shownName_);
    }
}
