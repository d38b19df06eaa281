// Everything the capture writes: the video stream, the sound track and their
// container(s), fed frame by frame from the encoding thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/output_format.h"

class AudioEncoder;
class Muxer;
class MusicFeed;
class VideoEncoder;

struct OutputSettings {
    OutputFormat format;
    std::string path;  // the file, or the folder the frames go into
    std::string shown; // OUTPUT as the user named it
    int width = 0, height = 0;
    std::int64_t fpsNum = 0, fpsDen = 1;
    int crf = -1;
    std::string preset;
    std::string music;           // empty: no sound track
    std::int64_t firstFrame = 0; // the video's first frame index in the show
};

class CaptureOutput {
  public:
    // Sets up encoders and writes the headers; throws std::runtime_error.
    explicit CaptureOutput(const OutputSettings& settings);
    ~CaptureOutput();

    // Frame `index` (from 0) of the video, RGBA rows bottom up, with the
    // sound up to its end.
    void AddFrame(const std::uint8_t* rgba, std::int64_t index);
    // Flushes the encoders and writes the trailers after `frames` frames.
    void Finish(std::int64_t frames);

  private:
    void AddSoundUntil(std::int64_t frames);

    OutputSettings settings_;
    std::unique_ptr<MusicFeed> music_;
    std::unique_ptr<Muxer> videoMuxer_;
    std::unique_ptr<Muxer> soundMuxer_; // a folder's music.wav; else the video's
    std::unique_ptr<VideoEncoder> video_;
    std::unique_ptr<AudioEncoder> audio_;
    std::int64_t musicStart_ = 0;  // the 44.1 kHz frame of the video's first frame
    std::int64_t soundFrames_ = 0; // 44.1 kHz frames encoded
    std::vector<std::int16_t> soundBlock_;
};

// The 44.1 kHz frame at video frame boundary `frame`, rounded to the nearest.
std::int64_t MusicFrameAt(std::int64_t frame, std::int64_t fpsNum, std::int64_t fpsDen);
