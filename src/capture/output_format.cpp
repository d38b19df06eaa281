#include "capture/output_format.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "capture/capture_options.h"

namespace {

// Frames numbered from 0, as the video's frames are.
constexpr const char* kFolderMuxerOptions = "start_number=0";

struct FormatRow {
    const char* extension;
    OutputFormat format;
};

const FormatRow kFormats[] = {
    // extension  folder container    video         audio       rate   muxer options
    {".mp4", {false, "mp4", "libx264", "aac", 44100, "movflags=+faststart"}},
    {".mkv", {false, "matroska", "libx264", "aac", 44100, ""}},
    {".webm", {false, "webm", "libvpx-vp9", "libopus", 48000, ""}},
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

OutputFormat ChooseOutputFormat(const std::string& output) {
    struct stat status;
    const bool exists = stat(output.c_str(), &status) == 0;
    if ((exists && S_ISDIR(status.st_mode)) || output.back() == '/') {
        return {true, "image2", "png", "pcm_s16le", 44100, kFolderMuxerOptions};
    }
    const std::size_t slash = output.find_last_of('/');
    const std::string base = slash == std::string::npos ? output : output.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string::npos || dot == 0) {
        if (exists) {
            throw UsageError(output +
                             ": exists and is not a folder (give .mp4, .mkv, .webm or a folder)");
        }
        return {true, "image2", "png", "pcm_s16le", 44100, kFolderMuxerOptions}; // a new folder
    }
    const std::string extension = Lower(base.substr(dot));
    for (const FormatRow& row : kFormats) {
        if (extension == row.extension) {
            return row.format;
        }
    }
    throw UsageError(output + ": unknown format '" + extension +
                     "' (give .mp4, .mkv, .webm or a folder)");
}
