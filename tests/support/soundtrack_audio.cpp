#include "soundtrack_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

namespace {

constexpr double kSilenceThreshold = 0.001; // -60 dBFS
constexpr float kFullScale = 32768.0f;
constexpr float kClipMagnitude = 32767.0f / 32768.0f;
constexpr int kChannels = 2;

std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

double Decibels(double magnitude) {
    return 20.0 * std::log10(std::max(magnitude, 1e-12));
}

} // namespace

std::vector<float> ReadRawS16(const std::string& path) {
    const std::vector<char> bytes = ReadBytes(path);
    std::vector<float> samples(bytes.size() / sizeof(int16_t));
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint8_t low = uint8_t(bytes[2 * i]);
        const uint8_t high = uint8_t(bytes[2 * i + 1]);
        samples[i] = float(int16_t(uint16_t(low | (high << 8)))) / kFullScale;
    }
    return samples;
}

std::vector<float> ReadRawF32(const std::string& path) {
    const std::vector<char> bytes = ReadBytes(path);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

std::vector<float> ReadWav16(const std::string& path) {
    constexpr size_t kRiffHeader = 12;
    constexpr size_t kChunkHeader = 8;
    constexpr uint16_t kPcm = 1;
    constexpr uint16_t kBits = 16;
    const std::vector<char> bytes = ReadBytes(path);
    const auto u16 = [&](size_t at) {
        return uint16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8));
    };
    const auto u32 = [&](size_t at) { return uint32_t(u16(at) | (uint32_t(u16(at + 2)) << 16)); };
    if (bytes.size() < kRiffHeader || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        throw std::runtime_error(path + " is not a WAV file");
    }
    bool formatSeen = false;
    for (size_t at = kRiffHeader; at + kChunkHeader <= bytes.size();) {
        const std::string id(bytes.data() + at, 4);
        const size_t size = std::min<size_t>(u32(at + 4), bytes.size() - at - kChunkHeader);
        const size_t body = at + kChunkHeader;
        if (id == "fmt ") {
            if (u16(body) != kPcm || u16(body + 2) != kChannels ||
                u32(body + 4) != uint32_t(kRenderRate) || u16(body + 14) != kBits) {
                throw std::runtime_error(path + " is not 16-bit stereo PCM at 44.1 kHz");
            }
            formatSeen = true;
        } else if (id == "data" && formatSeen) {
            std::vector<float> samples(size / sizeof(int16_t));
            for (size_t i = 0; i < samples.size(); ++i) {
                samples[i] = float(int16_t(u16(body + 2 * i))) / kFullScale;
            }
            return samples;
        }
        at = body + size + (size % 2);
    }
    throw std::runtime_error(path + " holds no audio");
}

AudioLevels MeasureLevels(const std::vector<float>& stereo, int rate) {
    AudioLevels levels;
    const size_t frames = stereo.size() / kChannels;
    levels.seconds = double(frames) / rate;
    double peak = 0.0;
    long first = -1;
    long last = -1;
    for (size_t i = 0; i < frames; ++i) {
        const double loudest =
            std::max(std::fabs(stereo[kChannels * i]), std::fabs(stereo[kChannels * i + 1]));
        peak = std::max(peak, loudest);
        if (loudest >= kClipMagnitude) {
            ++levels.fullScaleFrames;
        }
        if (loudest >= kSilenceThreshold) {
            if (first < 0) {
                first = long(i);
            }
            last = long(i);
        }
    }
    levels.peakDbfs = Decibels(peak);
    if (first < 0) {
        return levels;
    }
    levels.firstSound = double(first) / rate;
    levels.lastSound = double(last) / rate;
    long run = 0;
    long longest = 0;
    for (long i = first; i <= last; ++i) {
        const double loudest =
            std::max(std::fabs(stereo[kChannels * i]), std::fabs(stereo[kChannels * i + 1]));
        run = loudest < kSilenceThreshold ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    levels.longestQuiet = double(longest) / rate;
    return levels;
}

double RmsDbfs(const std::vector<float>& stereo, int rate, double start, double seconds) {
    const size_t from = std::min(stereo.size(), size_t(start * rate) * kChannels);
    const size_t to = std::min(stereo.size(), from + size_t(seconds * rate) * kChannels);
    if (to <= from) {
        return Decibels(0.0);
    }
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        sum += double(stereo[i]) * stereo[i];
    }
    return Decibels(std::sqrt(sum / double(to - from)));
}

std::string TemporaryPath(const std::string& stem) {
    const char* directory = std::getenv("TMPDIR");
    std::string pattern =
        std::string(directory != nullptr && directory[0] != '\0' ? directory : "/tmp") + "/" +
        stem + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int descriptor = mkstemp(buffer.data());
    if (descriptor < 0) {
        throw std::runtime_error("cannot create a temporary file for " + stem);
    }
    close(descriptor);
    return buffer.data();
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}
