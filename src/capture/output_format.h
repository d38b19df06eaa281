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

// Throws UsageError for a name it cannot take.
OutputFormat ChooseOutputFormat(const std::string& output);

// The PNG frames' names inside a folder, and the music's.
constexpr const char* kFramePattern = "frame_%06d.png";
constexpr const char* kFolderMusic = "music.wav";
