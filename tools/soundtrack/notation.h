// The text notation the song is written in.
//
// Note lanes: one whitespace-separated token per row. "C-4" or "C#4" is a
// note (C-4 is middle C), "===" a key-off, "." an empty row; a note may end
// in a volume "v0".."v64" ("A-4v32"), and a note that starts with "^"
// glides into its pitch from the note before ("^G-4"). Chord lanes take chord symbols
// instead of notes: "Am", "F#", "C" (major unless followed by "m"); a
// seventh ("G7", "Dm7", "Fmaj7") leaves out its fifth, so every chord is
// three tones; "Esus4" and "Dsus2" take the fourth or the second for the third.
// Drum lanes: one character per row: "." rest, "x" a hit at full volume, a
// digit "1".."8" a hit at that many eighths of full volume.
// In every lane "|" marks a bar line and is skipped.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kNoVolume = -1;

struct NoteStep {
    uint8_t note = 0; // 0 = nothing, 97 = key-off
    int volume = kNoVolume;
    bool glide = false; // slide from the sounding note instead of striking a new one
};

// A chord's three tones, in semitones above its root.
using ChordShape = std::array<int, 3>;
constexpr ChordShape kMajorTriad = {0, 4, 7};
constexpr ChordShape kMinorTriad = {0, 3, 7};

struct ChordStep {
    uint8_t root = 0; // note of the root, placed between A-2 and G#3; 0 = nothing, 97 = release
    ChordShape shape = kMajorTriad;
    int volume = kNoVolume;
};

struct DrumStep {
    bool hit = false;
    int volume = kNoVolume;
};

// One entry of a track: a phrase played `count` times, or a rest.
struct SequenceItem {
    std::string phrase; // empty for a rest
    int count = 1;      // repeats, or rows of rest
    int volume = kNoVolume;
};

// All parsers throw std::runtime_error naming the offending token.
uint8_t ParseNoteName(const std::string& token);
std::vector<NoteStep> ParseNoteLane(const std::string& text);
std::vector<ChordStep> ParseChordLane(const std::string& text);
std::vector<DrumStep> ParseDrumLane(const std::string& text);

// A track: phrase names separated by spaces, each optionally followed by
// "*N" (play N times) and "@V" (volume for the steps that name none);
// "~N" is N rows of rest. Example: "beat*3 fill ~8 arp.Am*2@20".
std::vector<SequenceItem> ParseSequence(const std::string& text);
