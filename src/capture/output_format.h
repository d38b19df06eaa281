// What OUTPUT's name asks for: a container with its codecs, or a folder of
// numbered PNG frames with the music beside them.
#pragma once

#include <string>

struct OutputFormat {
    bool folder = false;
    std::string container;    // libavformat's name
    std::string videoCodec;   // libavcodec's encoder name
    std::string audioCodec;   // encoder name
    int audioRate = 44100;    // what the audio codec takes
    std::string muxerOptions; // e.g. the MP4 index at the front
};

// OUTPUT's name, taken apart once.
struct OutputName {
    std::string given;     // as written, for messages
    std::string path;      // without trailing slashes
    std::string folder;    // up to and including the last '/'; empty for the current folder
    std::string base;      // the name after it
    std::string extension; // from the base's last '.', as written; empty for none, a
                           // leading dot only, or a name ending in '/'
    bool endsInSlash = false;
};
OutputName ParseOutputName(const std::string& output);

// Throws UsageError for a name it cannot take.
OutputFormat ChooseOutputFormat(const OutputName& output);

// The PNG frames' names inside a folder, and the music's.
constexpr const char* kFramePattern = "frame_%06d.png";
constexpr const char* kFolderMusic = "music.wav";
