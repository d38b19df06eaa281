// A RIFF WAV file of signed 16-bit stereo at 44.1 kHz, written as the music
// is rendered; the lengths in its header are filled in when it is finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class WavWriter {
  public:
    // Creates (or truncates) the file at `path`. Throws std::runtime_error
    // with a one-line message naming the file when it cannot be written.
    explicit WavWriter(const std::string& path);
    // Closes the file without finishing it (after a failure or an interrupt).
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Appends `frames` frames of interleaved left, right samples.
    void Write(const std::int16_t* samples, std::size_t frames);

    // Fills in the header's lengths and closes the file, reporting any write
    // error (a full disk shows here at the latest).
    void Finish();

    std::uint64_t Frames() const { return frames_; }

  private:
    // `error` is the errno of the failed call, or 0.
    [[noreturn]] void Fail(const std::string& what, int error = 0);

    std::string path_;
    std::FILE* file_ = nullptr;
    std::uint64_t frames_ = 0;
};
