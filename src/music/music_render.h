// The show's music rendered offline through libmikmod, set up as SDL_mixer 1.2
// sets it up and pulled in the same chunks, so that the samples are the ones
// the live show plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct MODULE; // libmikmod's loaded module

constexpr int kMusicRate = 44100;       // frames a second
constexpr int kMusicChannels = 2;       // interleaved left, right
constexpr int kMusicChunkFrames = 2048; // SDL_mixer's pull size: another size changes the output

class MusicRender {
  public:
    // Loads the module at `path`. Throws std::runtime_error with a one-line
    // message naming the file and the reason when it cannot be read or played.
    explicit MusicRender(const std::string& path);
    ~MusicRender();
    MusicRender(const MusicRender&) = delete;
    MusicRender& operator=(const MusicRender&) = delete;

    // Renders the next `frames` frames (a multiple of kMusicChunkFrames) as
    // interleaved signed 16-bit stereo; silence once the module has ended.
    void Render(std::int16_t* out, std::size_t frames);

    // Starts fading the music out over `milliseconds` from the next chunk on,
    // stepped per chunk exactly as SDL_mixer steps Mix_FadeOutMusic.
    void FadeOut(int milliseconds);

    // Whether the music still plays, as Mix_PlayingMusic says: false as soon as
    // the module has played its last row, and once the chunk after a fade's
    // last step has been pulled.
    bool Playing() const;

  private:
    void RenderChunk(std::int16_t* out);
    void Halt();

    MODULE* module_ = nullptr;
    bool started_ = false; // between the start and the halt, as SDL_mixer's current music
    bool fadingOut_ = false;
    int fadeStep_ = 0;
    int fadeSteps_ = 0;
};
