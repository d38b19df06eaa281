// One output container file (or, for a picture sequence, one numbered file
// per frame), written through libavformat with exact timestamps.
#pragma once

#include <string>

struct AVFormatContext;
struct AVPacket;
struct AVStream;
struct AVCodecContext;

class Muxer {
  public:
    // `format` is libavformat's short name ("mp4", "matroska", "webm",
    // "image2", "wav"); `path` is what it writes (a pattern for image2).
    // `shownName` names the output in messages.
    Muxer(const std::string& format, const std::string& path, const std::string& shownName);
    ~Muxer();
    Muxer(const Muxer&) = delete;
    Muxer& operator=(const Muxer&) = delete;

    bool WantsGlobalHeader() const;

    AVStream* AddStream(const AVCodecContext* codec);

    // Opens the file and writes the header; `options` as "key=value:key=value".
    void Begin(const std::string& options);
    // Takes the packet's data (timestamps in the codec's time base).
    void Write(AVPacket* packet, const AVCodecContext* codec, AVStream* stream);
    // Writes every packet the encoder has ready, through `packet`; an encoder
    // error throws `failure`.
    void WriteEncoded(AVCodecContext* codec, AVPacket* packet, AVStream* stream,
                      const std::string& failure);
    // Writes the trailer and closes the file.
    void Finish();

  private:
    AVFormatContext* context_ = nullptr;
    std::string shownName_;
    bool opened_ = false;
    bool finished_ = false;
};
