#include "capture/music_feed.h"

#include <algorithm>
#include <cstring>

#include "music/music_render.h"
#include "show/timeline.h"

namespace {

// The fade starts with the chunk that is playing when the show ends.
constexpr std::int64_t kFadeFrame = static_cast<std::int64_t>(kShowEnd) * kMusicRate;

} // namespace

MusicFeed::MusicFeed(const std::string& path, std::int64_t firstFrame)
    : render_(std::make_unique<MusicRender>(path)),
      chunk_(static_cast<std::size_t>(kMusicChunkFrames) * kMusicChannels) {
    chunkStart_ = -kMusicChunkFrames;
    used_ = kMusicChunkFrames;
    // Play through to the first frame, as the show's earlier part would have.
    while (chunkStart_ + kMusicChunkFrames <= firstFrame) {
        RenderChunk();
    }
    used_ = firstFrame - chunkStart_;
}

MusicFeed::~MusicFeed() = default;

void MusicFeed::RenderChunk() {
    chunkStart_ += kMusicChunkFrames;
    if (!faded_ && chunkStart_ + kMusicChunkFrames > kFadeFrame) {
        render_->FadeOut(kSoundFadeMs); // as the live show fades at its end
        faded_ = true;
    }
    render_->Render(chunk_.data(), kMusicChunkFrames);
    used_ = 0;
}

void MusicFeed::Read(std::int16_t* out, std::int64_t frames) {
    while (frames > 0) {
        if (used_ == kMusicChunkFrames) {
            RenderChunk();
        }
        const std::int64_t take = std::min(frames, kMusicChunkFrames - used_);
        std::memcpy(out, chunk_.data() + used_ * kMusicChannels,
                    static_cast<std::size_t>(take) * kMusicChannels * sizeof(std::int16_t));
        out += take * kMusicChannels;
        used_ += take;
        frames -= take;
    }
}
