// The sound track: 16-bit stereo at 44.1 kHz in, converted to what the codec
// takes (resampled for Opus), cut into the codec's frames and encoded.
#pragma once

#include <cstdint>
#include <string>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;
class Muxer;

class AudioEncoder {
  public:
    AudioEncoder(Muxer& muxer, const std::string& codecName, int sampleRate);
    ~AudioEncoder();
    AudioEncoder(const AudioEncoder&) = delete;
    AudioEncoder& operator=(const AudioEncoder&) = delete;

    void Open(); // after the streams are set up, before the muxer begins
    // Interleaved signed 16-bit stereo at 44.1 kHz.
    void Encode(const std::int16_t* stereo, int frames);
    void Flush();

  private:
    void SendFrames(bool all);
    void Drain();

    Muxer& muxer_;
    std::string name_;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    SwrContext* convert_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    int frameSize_ = 0;
    std::int64_t sent_ = 0; // samples sent to the codec
};
