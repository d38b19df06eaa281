#include "soundtrack_loudness.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "soundtrack_audio.h"

namespace {

constexpr int kChannels = 2;

void PutU16(std::ofstream& out, uint16_t value) {
    out.put(char(value & 0xFF)).put(char(value >> 8));
}

void PutU32(std::ofstream& out, uint32_t value) {
    PutU16(out, uint16_t(value & 0xFFFF));
    PutU16(out, uint16_t(value >> 16));
}

// IEEE float WAV: peaks above full scale stay as they are.
void WriteFloatWav(const std::string& path, const std::vector<float>& stereo) {
    constexpr uint16_t kIeeeFloat = 3;
    constexpr uint16_t kBits = 32;
    const uint32_t dataBytes = uint32_t(stereo.size() * sizeof(float));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("RIFF", 4);
    PutU32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    PutU32(out, 16);
    PutU16(out, kIeeeFloat);
    PutU16(out, kChannels);
    PutU32(out, kRenderRate);
    PutU32(out, kRenderRate * kChannels * sizeof(float));
    PutU16(out, kChannels * sizeof(float));
    PutU16(out, kBits);
    out.write("data", 4);
    PutU32(out, dataBytes);
    out.write(reinterpret_cast<const char*>(stereo.data()), std::streamsize(dataBytes));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

// The value after `label` in the filter's closing summary.
double SummaryValue(const std::string& report, const std::string& label) {
    const size_t summary = report.rfind("Summary:");
    const size_t at = report.find(label, summary == std::string::npos ? 0 : summary);
    if (at == std::string::npos) {
        throw std::runtime_error("no \"" + label + "\" in FFmpeg's ebur128 summary");
    }
    const std::string value = report.substr(at + label.size(), 32);
    if (value.find("-inf") != std::string::npos || value.find("nan") != std::string::npos) {
        return -999.0;
    }
    return std::stod(value);
}

} // namespace

namespace {

// FFmpeg's ebur128 report (every 100 ms block, then the summary) for the samples.
std::string Ebur128Report(const std::vector<float>& stereo, const std::string& options) {
    const std::string ffmpeg = FFMPEG_PATH;
    if (ffmpeg.empty()) {
        throw std::runtime_error("ffmpeg was not found when the build was configured");
    }
    const std::string wav = TemporaryPath("soundtrack-loudness");
    const std::string log = TemporaryPath("soundtrack-loudness-log");
    WriteFloatWav(wav, stereo);
    const std::string command = ShellQuoted(ffmpeg) + " -nostdin -hide_banner -nostats -i " +
                                ShellQuoted(wav) + " -af ebur128" + options + " -f null - 2> " +
                                ShellQuoted(log);
    const int status = std::system(command.c_str());
    std::ifstream in(log);
    const std::string report((std::istreambuf_iterator<char>(in)), {});
    std::remove(wav.c_str());
    std::remove(log.c_str());
    if (status != 0) {
        throw std::runtime_error("ffmpeg failed: " +
                                 report.substr(report.size() > 400 ? report.size() - 400 : 0));
    }
    return report;
}

} // namespace

Loudness MeasureLoudness(const std::vector<float>& stereo) {
    const std::string report = Ebur128Report(stereo, "=peak=true");
    Loudness loudness;
    loudness.integrated = SummaryValue(report, "I:");
    loudness.range = SummaryValue(report, "LRA:");
    loudness.truePeak = SummaryValue(report, "Peak:");
    return loudness;
}

LoudnessBlocks MeasureBlocks(const std::vector<float>& stereo) {
    const std::string report = Ebur128Report(stereo, "");
    LoudnessBlocks blocks;
    for (size_t at = report.find(" t: "); at != std::string::npos;
         at = report.find(" t: ", at + 1)) {
        const size_t momentary = report.find(" M:", at);
        if (momentary == std::string::npos) {
            break;
        }
        blocks.ends.push_back(std::stod(report.substr(at + 4, 16)));
        blocks.momentary.push_back(std::stod(report.substr(momentary + 3, 16)));
    }
    return blocks;
}

double IntegratedLoudness(const LoudnessBlocks& blocks, const std::vector<Span>& spans) {
    constexpr double kBlockSeconds = 0.4;
    constexpr double kAbsoluteGate = -70.0;
    constexpr double kRelativeGate = -10.0;
    constexpr double kOffset = -0.691; // BS.1770's constant between energy and LUFS
    auto energy = [](double lufs) { return std::pow(10.0, (lufs - kOffset) / 10.0); };
    auto lufs = [](double e) { return kOffset + 10.0 * std::log10(e); };
    auto mean = [&](double gate) {
        double sum = 0.0;
        int count = 0;
        for (size_t i = 0; i < blocks.ends.size(); ++i) {
            const double end = blocks.ends[i];
            bool within = false;
            for (const Span& span : spans) {
                within =
                    within || (end - kBlockSeconds >= span.from - 1e-6 && end <= span.to + 1e-6);
            }
            if (within && blocks.momentary[i] > gate) {
                sum += energy(blocks.momentary[i]);
                ++count;
            }
        }
        return count == 0 ? 0.0 : sum / count;
    };
    const double ungated = mean(kAbsoluteGate);
    if (ungated == 0.0) {
        return -999.0;
    }
    const double gated = mean(std::max(kAbsoluteGate, lufs(ungated) + kRelativeGate));
    return gated == 0.0 ? -999.0 : lufs(gated);
}

std::vector<float> Slice(const std::vector<float>& stereo, double start, double seconds) {
    const size_t from = std::min(stereo.size(), size_t(std::max(0.0, start) * kRenderRate) * 2);
    const size_t to = std::min(stereo.size(), from + size_t(seconds * kRenderRate) * 2);
    return std::vector<float>(stereo.begin() + long(from), stereo.begin() + long(to));
}

double SideToMidDb(const std::vector<float>& stereo) {
    double side = 0.0;
    double mid = 0.0;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const double l = stereo[i];
        const double r = stereo[i + 1];
        side += (l - r) * (l - r);
        mid += (l + r) * (l + r);
    }
    return 10.0 * std::log10(std::max(side, 1e-30) / std::max(mid, 1e-30));
}

std::vector<double> Onsets(const std::vector<float>& stereo, double threshold,
                           double quietSeconds) {
    std::vector<double> onsets;
    const long quietFrames = long(quietSeconds * kRenderRate);
    long quiet = quietFrames;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const double loudest = std::max(std::fabs(stereo[i]), std::fabs(stereo[i + 1]));
        if (loudest >= threshold) {
            if (quiet >= quietFrames) {
                onsets.push_back(double(i / 2) / kRenderRate);
            }
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return onsets;
}
