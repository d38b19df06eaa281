#include "soundtrack_render.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include <SDL.h>
#include <SDL_mixer.h>

#include "music/music_render.h"
#include "soundtrack_audio.h"
#include "xm_reader.h"

namespace {

constexpr int kMixerChunk = 256; // frames: the capture ends within one chunk of the song
constexpr int kPlayOnce = 0;
constexpr auto kPlayBound = std::chrono::seconds(120);
constexpr float kFullScale = 32768.0f;

struct Capture {
    std::vector<float> samples;
    bool started = false;
    bool finished = false;
};

// Runs on the audio thread after the music and channels are mixed. The music
// starts and stops between callbacks (SDL_mixer holds the audio lock to do
// either), so the callbacks that hold music are exactly the song.
void CaptureAfterMix(void* data, Uint8* stream, int length) {
    Capture& capture = *static_cast<Capture*>(data);
    if (capture.finished) {
        return;
    }
    if (!Mix_PlayingMusic()) {
        capture.finished = capture.started;
        return;
    }
    capture.started = true;
    const Sint16* frames = reinterpret_cast<const Sint16*>(stream);
    for (int i = 0; i < length / int(sizeof(Sint16)); ++i) {
        capture.samples.push_back(float(frames[i]) / kFullScale);
    }
}

std::vector<float> RunPlayer(const std::string& command,
                             std::vector<float> (*read)(const std::string&),
                             const std::string& output) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    std::vector<float> samples;
    if (status == 0) {
        samples = read(output);
    }
    std::remove(output.c_str());
    return samples;
}

template <typename Render>
std::vector<float> RenderBytes(const std::vector<uint8_t>& bytes, Render render) {
    const std::string path = WriteTemporaryModule(bytes, "soundtrack-variant");
    std::vector<float> samples = render(path);
    std::remove(path.c_str());
    return samples;
}

} // namespace

std::vector<float> RenderWithMixer(const std::string& xmPath) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    }
    if (Mix_OpenAudio(kRenderRate, AUDIO_S16LSB, 2, kMixerChunk) != 0) {
        SDL_Quit();
        throw std::runtime_error(std::string("Mix_OpenAudio: ") + Mix_GetError());
    }
    Capture capture;
    Mix_Music* music = Mix_LoadMUS(xmPath.c_str());
    if (music == nullptr) {
        Mix_CloseAudio();
        SDL_Quit();
        throw std::runtime_error(std::string("Mix_LoadMUS: ") + Mix_GetError());
    }
    Mix_SetPostMix(CaptureAfterMix, &capture);
    Mix_PlayMusic(music, kPlayOnce);
    const auto deadline = std::chrono::steady_clock::now() + kPlayBound;
    while (Mix_PlayingMusic() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    SDL_LockAudio();
    Mix_SetPostMix(nullptr, nullptr);
    SDL_UnlockAudio();
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();
    return capture.samples;
}

std::vector<float> RenderWithLibmikmod(const std::string& xmPath) {
    MusicRender render(xmPath);
    std::vector<int16_t> chunk(size_t(kMusicChunkFrames) * kMusicChannels);
    std::vector<float> samples;
    const auto bound = size_t(std::chrono::seconds(kPlayBound).count()) * kMusicRate;
    while (render.Playing() && samples.size() / kMusicChannels < bound) {
        render.Render(chunk.data(), kMusicChunkFrames);
        for (int16_t value : chunk) {
            samples.push_back(float(value) / kFullScale);
        }
    }
    return samples;
}

std::vector<float> RenderWithOpenMpt(const std::string& xmPath) {
    const std::string player = OPENMPT123_PATH;
    if (player.empty()) {
        return {};
    }
    const std::string output = TemporaryPath("soundtrack-openmpt");
    return RunPlayer(ShellQuoted(player) +
                         " --batch --quiet --no-progress --samplerate 44100 --channels 2"
                         " --float --stdout " +
                         ShellQuoted(xmPath) + " > " + ShellQuoted(output),
                     ReadRawF32, output);
}

std::vector<float> RenderWithXmp(const std::string& xmPath) {
    const std::string player = XMP_PATH;
    if (player.empty()) {
        return {};
    }
    const std::string output = TemporaryPath("soundtrack-xmp");
    // The output file must come first: it resets the driver.
    return RunPlayer(ShellQuoted(player) + " --output-file " + ShellQuoted(output) +
                         " --driver wav --nocmd --norc --quiet --frequency 44100 " +
                         ShellQuoted(xmPath),
                     ReadWav16, output);
}

std::vector<uint8_t> WithOnlyInstruments(const std::vector<uint8_t>& module,
                                         const std::set<std::string>& audible) {
    const ParsedModule parsed = ParseXm(module);
    std::vector<uint8_t> bytes = module;
    for (const ParsedInstrument& instrument : parsed.instruments) {
        if (audible.count(instrument.name) != 0) {
            continue;
        }
        // Delta-coded data: all-zero differences decode to silence.
        for (const ParsedSample& sample : instrument.samples) {
            std::fill(bytes.begin() + long(sample.dataOffset),
                      bytes.begin() + long(sample.dataOffset + sample.lengthBytes), 0);
        }
    }
    return bytes;
}

std::string WriteTemporaryModule(const std::vector<uint8_t>& bytes, const std::string& stem) {
    const std::string path = TemporaryPath(stem);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

std::vector<float> RenderBytesWithMixer(const std::vector<uint8_t>& bytes) {
    return RenderBytes(bytes, RenderWithMixer);
}

std::vector<float> RenderBytesWithLibmikmod(const std::vector<uint8_t>& bytes) {
    return RenderBytes(bytes, RenderWithLibmikmod);
}

std::vector<float> RenderBytesWithOpenMpt(const std::vector<uint8_t>& bytes) {
    return RenderBytes(bytes, RenderWithOpenMpt);
}

std::vector<float> RenderBytesWithXmp(const std::vector<uint8_t>& bytes) {
    return RenderBytes(bytes, RenderWithXmp);
}
