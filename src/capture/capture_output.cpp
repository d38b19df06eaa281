#include "capture/capture_output.h"

#include <algorithm>

#include "capture/audio_encoder.h"
#include "capture/music_feed.h"
#include "capture/muxer.h"
#include "capture/video_encoder.h"
#include "music/music_render.h"

namespace {
constexpr std::int64_t kSoundBlock = 4096; // frames handed to the encoder at a time
}

std::int64_t MusicFrameAt(std::int64_t frame, std::int64_t fpsNum, std::int64_t fpsDen) {
    const __int128 top = static_cast<__int128>(frame) * fpsDen * kMusicRate;
    return static_cast<std::int64_t>((2 * top + fpsNum) / (2 * static_cast<__int128>(fpsNum)));
}

CaptureOutput::CaptureOutput(const OutputSettings& settings)
    : settings_(settings),
      musicStart_(MusicFrameAt(settings.firstFrame, settings.fpsNum, settings.fpsDen)) {
    const OutputFormat& format = settings.format;
    if (!settings.music.empty()) {
        music_ = std::make_unique<MusicFeed>(settings.music, musicStart_);
        soundBlock_.resize(kSoundBlock * kMusicChannels);
    }
    const std::string videoPath =
        format.folder ? settings.path + "/" + kFramePattern : settings.path;
    videoMuxer_ = std::make_unique<Muxer>(format.container, videoPath, settings.shown);
    video_ = std::make_unique<VideoEncoder>(*videoMuxer_, format, settings.width, settings.height,
                                            settings.fpsNum, settings.fpsDen, settings.crf,
                                            settings.preset);
    Muxer* soundMuxer = videoMuxer_.get();
    if (music_ && format.folder) {
        soundMuxer_ = std::make_unique<Muxer>("wav", settings.path + "/" + kFolderMusic,
                                              settings.shown + "/" + kFolderMusic);
        soundMuxer = soundMuxer_.get();
    }
    if (music_) {
        audio_ = std::make_unique<AudioEncoder>(*soundMuxer, format.audioCodec, format.audioRate);
    }
    video_->Open();
    if (audio_) {
        audio_->Open();
    }
    videoMuxer_->Begin(format.muxerOptions);
    if (soundMuxer_) {
        soundMuxer_->Begin("");
    }
}

CaptureOutput::~CaptureOutput() = default;

void CaptureOutput::AddSoundUntil(std::int64_t frames) {
    if (!audio_) {
        return;
    }
    const std::int64_t until =
        MusicFrameAt(settings_.firstFrame + frames, settings_.fpsNum, settings_.fpsDen) -
        musicStart_;
    while (soundFrames_ < until) {
        const std::int64_t take = std::min(kSoundBlock, until - soundFrames_);
        music_->Read(soundBlock_.data(), take);
        audio_->Encode(soundBlock_.data(), static_cast<int>(take));
        soundFrames_ += take;
    }
}

void CaptureOutput::AddFrame(const std::uint8_t* rgba, std::int64_t index) {
    AddSoundUntil(index + 1);
    video_->Encode(rgba, index);
}

void CaptureOutput::Finish(std::int64_t frames) {
    AddSoundUntil(frames);
    video_->Flush();
    if (audio_) {
        audio_->Flush();
    }
    videoMuxer_->Finish();
    if (soundMuxer_) {
        soundMuxer_->Finish();
    }
}
