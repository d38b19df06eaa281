#include "music/music_render.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <mikmod.h>

namespace {

// The set-up SDL_mixer 1.2 gives libmikmod when the show opens its audio at
// 44.1 kHz, signed 16-bit stereo, and plays the module once: every value below
// changes the samples.
constexpr UWORD kMixerMode =
    DMODE_16BITS | DMODE_STEREO | DMODE_HQMIXER | DMODE_SOFT_MUSIC | DMODE_SURROUND;
constexpr UBYTE kDeviceVolume = 96;
constexpr UBYTE kMusicVolume = 128;
constexpr UBYTE kEffectsVolume = 128;
constexpr UBYTE kFullPanSeparation = 128;
constexpr UBYTE kNoReverb = 0;
constexpr int kMaxVoices = 64;
constexpr BOOL kNotCurious = 0; // no hidden extra patterns or samples
constexpr UWORD kFirstPosition = 0;
// SDL_mixer's default music volume (MIX_MAX_VOLUME), given to Player_SetVolume.
constexpr int kMixerMusicVolume = 128;
// SDL_mixer's fade step: one chunk's length in whole milliseconds, worked out
// in the same float-then-double arithmetic (46 ms for 2048 frames at 44.1 kHz).
constexpr int kFadeStepMs = int(double(float(kMusicChunkFrames)) * 1000.0 / kMusicRate);
constexpr std::size_t kChunkSamples = std::size_t(kMusicChunkFrames) * kMusicChannels;
constexpr ULONG kChunkBytes = ULONG(kChunkSamples * sizeof(std::int16_t));
// Far beyond any tracker module; libmikmod takes the length as an int.
constexpr std::uintmax_t kLargestModuleBytes = std::uintmax_t(256) << 20;

static_assert(kMusicRate <= 0xFFFF, "libmikmod keeps the mixing rate in 16 bits");

// libmikmod is one player for the whole process: one render at a time.
std::atomic<bool> gMikModTaken{false};

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw std::runtime_error("cannot play the music \"" + path + "\": " + reason);
}

std::string LibMikModError(const char* fallback) {
    const char* text = MikMod_errno != 0 ? MikMod_strerror(MikMod_errno) : nullptr;
    std::string reason = text != nullptr && text[0] != '\0' ? text : fallback;
    // libmikmod's messages may end in a newline; the error stays one line.
    reason.erase(std::remove(reason.begin(), reason.end(), '\n'), reason.end());
    return reason;
}

std::vector<char> ReadModuleFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        Fail(path, "no such file");
    }
    if (error) {
        Fail(path, error.message());
    }
    if (status.type() == fs::file_type::directory) {
        Fail(path, "is a directory, not a module");
    }
    // A FIFO or a device could block for good or never end.
    if (status.type() != fs::file_type::regular) {
        Fail(path, "is not a regular file");
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        Fail(path, error.message());
    }
    if (size == 0) {
        Fail(path, "the file is empty");
    }
    if (size > kLargestModuleBytes) {
        Fail(path, "too large for a module");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail(path, std::strerror(errno));
    }
    std::vector<char> bytes(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        Fail(path, "the file could not be read to its end");
    }
    return bytes;
}

// Starts libmikmod's software mixer with SDL_mixer's settings, on the driver
// that sends nothing anywhere: the caller pulls the mixed samples itself.
void StartMixer(const std::string& path) {
    md_mode = kMixerMode;
    md_mixfreq = UWORD(kMusicRate);
    md_volume = kDeviceVolume;
    md_musicvolume = kMusicVolume;
    md_sndfxvolume = kEffectsVolume;
    md_pansep = kFullPanSeparation;
    md_reverb = kNoReverb;

    MikMod_RegisterDriver(&drv_nos); // ignored when already registered
    md_device = UWORD(MikMod_DriverFromAlias("nosound"));
    if (CHAR* loaders = MikMod_InfoLoader(); loaders != nullptr) {
        MikMod_free(loaders);
    } else {
        MikMod_RegisterAllLoaders();
    }
    MikMod_errno = 0;
    if (MikMod_Init(nullptr) != 0) {
        Fail(path, "libmikmod's mixer did not start (" + LibMikModError("no reason given") + ")");
    }
}

} // namespace

MusicRender::MusicRender(const std::string& path) {
    const std::vector<char> bytes = ReadModuleFile(path);
    if (gMikModTaken.exchange(true)) {
        Fail(path, "another music render is still open in this process");
    }
    try {
        StartMixer(path);
    } catch (...) {
        gMikModTaken = false;
        throw;
    }
    MikMod_errno = 0;
    module_ = Player_LoadMem(bytes.data(), int(bytes.size()), kMaxVoices, kNotCurious);
    if (module_ == nullptr) {
        const std::string reason = LibMikModError("not a module libmikmod can play");
        MikMod_Exit();
        gMikModTaken = false;
        Fail(path, "not a playable module (" + reason + ")");
    }
    // As SDL_mixer plays a module: its own speed and panning commands obeyed,
    // no wrapping to the start, no jumping back, no fade of the last pattern.
    module_->extspd = 1;
    module_->panflag = 1;
    module_->wrap = 0;
    module_->loop = 0;

    // Player_SetVolume does nothing before Player_Start; rewinding then resets
    // the module's global volume to the one just set.
    Player_Start(module_);
    Player_SetVolume(kMixerMusicVolume);
    Player_SetPosition(kFirstPosition);
    started_ = true;
}

MusicRender::~MusicRender() {
    Halt();
    Player_Free(module_);
    MikMod_Exit();
    gMikModTaken = false;
}

void MusicRender::Render(std::int16_t* out, std::size_t frames) {
    if (frames % kMusicChunkFrames != 0) {
        throw std::invalid_argument("the music is rendered in whole chunks of " +
                                    std::to_string(kMusicChunkFrames) + " frames");
    }
    for (std::size_t done = 0; done < frames; done += kMusicChunkFrames) {
        RenderChunk(out + done * kMusicChannels);
    }
}

// One pull of SDL_mixer's music mixer: the fade step first, then the end of
// the module, then the mixed samples; silence once the music has stopped.
void MusicRender::RenderChunk(std::int16_t* out) {
    std::fill(out, out + kChunkSamples, std::int16_t{0});
    if (!started_) {
        return;
    }
    if (fadingOut_) {
        if (fadeStep_++ < fadeSteps_) {
            Player_SetVolume(SWORD(kMixerMusicVolume * (fadeSteps_ - fadeStep_) / fadeSteps_));
        } else {
            Halt();
            return;
        }
    }
    if (!Player_Active()) {
        Halt();
        return;
    }
    VC_WriteBytes(reinterpret_cast<SBYTE*>(out), kChunkBytes);
}

void MusicRender::FadeOut(int milliseconds) {
    if (milliseconds <= 0) {
        Halt();
        return;
    }
    if (!started_) {
        return;
    }
    const int steps = (milliseconds + kFadeStepMs - 1) / kFadeStepMs;
    // A fade already under way keeps its progress, rescaled to the new length.
    fadeStep_ = fadingOut_ ? fadeStep_ * steps / fadeSteps_ : 0;
    fadeSteps_ = steps;
    fadingOut_ = true;
}

bool MusicRender::Playing() const {
    return started_ && Player_Active();
}

void MusicRender::Halt() {
    if (started_) {
        Player_Stop();
    }
    started_ = false;
    fadingOut_ = false;
}
