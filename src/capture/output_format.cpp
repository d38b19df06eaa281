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

OutputName ParseOutputName(const std::string& output) {
    OutputName name;
    name.given = output;
    name.endsInSlash = !output.empty() && output.back() == '/';
    name.path = output;
    while (name.path.size() > 1 && name.path.back() == '/') {
        name.path.pop_back();
    }
    const std::size_t slash = name.path.find_last_of('/');
    if (slash != std::string::npos) {
        name.folder = name.path.substr(0, slash + 1);
    }
    name.base = slash == std::string::npos ? name.path : name.path.substr(slash + 1);
    const std::size_t dot = name.base.find_last_of('.');
    if (!name.endsInSlash && dot != std::string::npos && dot != 0) {
        name.extension = name.base.substr(dot);
    }
    return name;
}

OutputFormat ChooseOutputFormat(const OutputName& output) {
    struct stat status;
    const bool exists = stat(output.given.c_str(), &status) == 0;
    if ((exists && S_ISDIR(status.st_mode)) || output.endsInSlash) {
        return {true, "image2", "png", "pcm_s16le", 44100, kFolderMuxerOptions};
    }
    if (output.extension.empty()) {
        if (exists) {
            throw UsageError(output.given +
                             ": exists and is not a folder (give .mp4, .mkv, .webm or a folder)");
        }
        return {true, "image2", "png", "pcm_s16le", 44100, kFolderMuxerOptions}; // a new folder
    }
    const std::string extension = Lower(output.extension);
    for (const FormatRow& row : kFormats) {
        if (extension == row.extension) {
            return row.format;
        }
    }
    throw UsageError(output.given + ": unknown format '" + extension +
                     "' (give .mp4, .mkv, .webm or a folder)");
}
