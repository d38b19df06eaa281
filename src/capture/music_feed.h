// The music as the capture needs it: from show time 0, faded out over the
// last second once the show ends, read from any sample on in any amounts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MusicRender;

class MusicFeed {
  public:
    // Starts at `firstFrame` (44.1 kHz frames of show time). Throws
    // std::runtime_error when the module cannot be read or played.
    MusicFeed(const std::string& path, std::int64_t firstFrame);
    ~MusicFeed();

    // The next `frames` frames, interleaved 16-bit stereo.
    void Read(std::int16_t* out, std::int64_t frames);

  private:
    void RenderChunk();

    std::unique_ptr<MusicRender> render_;
    std::vector<std::int16_t> chunk_;
    std::int64_t chunkStart_ = 0; // show-time frame of chunk_'s first frame
    std::int64_t used_ = 0;       // frames of chunk_ handed out or skipped
    bool faded_ = false;
};
