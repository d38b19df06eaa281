#include "music/wav_writer.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "music/music_render.h"

namespace {

constexpr std::uint16_t kPcmFormat = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBytesPerFrame = kMusicChannels * kBitsPerSample / 8;
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::size_t kHeaderBytes = 44;
// Everything before the samples that the RIFF length counts.
constexpr std::uint32_t kRiffOverhead = kHeaderBytes - 8;
// The RIFF lengths are 32-bit.
constexpr std::uint64_t kLargestDataBytes = 0xFFFFFFFFull - kRiffOverhead;
constexpr long kRiffLengthAt = 4;
constexpr long kDataLengthAt = 40;

void PutLittle16(unsigned char* at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void PutLittle32(unsigned char* at, std::uint32_t value) {
    PutLittle16(at, static_cast<std::uint16_t>(value & 0xFFFF));
    PutLittle16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::array<unsigned char, kHeaderBytes> Header(std::uint32_t dataBytes) {
    std::array<unsigned char, kHeaderBytes> header{};
    unsigned char* h = header.data();
    std::memcpy(h, "RIFF", 4);
    PutLittle32(h + kRiffLengthAt, kRiffOverhead + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLittle32(h + 16, kFormatChunkBytes);
    PutLittle16(h + 20, kPcmFormat);
    PutLittle16(h + 22, kMusicChannels);
    PutLittle32(h + 24, kMusicRate);
    PutLittle32(h + 28, std::uint32_t(kMusicRate) * kBytesPerFrame);
    PutLittle16(h + 32, kBytesPerFrame);
    PutLittle16(h + 34, kBitsPerSample);
    std::memcpy(h + 36, "data", 4);
    PutLittle32(h + kDataLengthAt, dataBytes);
    return header;
}

} // namespace

WavWriter::WavWriter(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        Fail("cannot create it", errno);
    }
    const auto header = Header(0);
    if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
        Fail("cannot write to it", errno);
    }
}

WavWriter::~WavWriter() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void WavWriter::Write(const std::int16_t* samples, std::size_t frames) {
    if (file_ == nullptr) {
        throw std::logic_error("the WAV file " + path_ + " is already finished");
    }
    if ((frames_ + frames) * kBytesPerFrame > kLargestDataBytes) {
        Fail("too long for a WAV file");
    }
    // Little-endian on disk whatever the machine.
    std::vector<unsigned char> bytes(frames * kBytesPerFrame);
    for (std::size_t i = 0; i < frames * kMusicChannels; ++i) {
        PutLittle16(&bytes[2 * i], static_cast<std::uint16_t>(samples[i]));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        Fail("cannot write to it", errno);
    }
    frames_ += frames;
}

void WavWriter::Finish() {
    if (file_ == nullptr) {
        return;
    }
    const auto header = Header(std::uint32_t(frames_ * kBytesPerFrame));
    if (std::fseek(file_, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
        Fail("cannot write to it", errno);
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        Fail("cannot write to it", errno);
    }
}

void WavWriter::Fail(const std::string& what, int error) {
    throw std::runtime_error("the WAV file " + path_ + ": " + what +
                             (error != 0 ? std::string(" (") + std::strerror(error) + ")" : ""));
}
