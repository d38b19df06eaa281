// Turns the song's written phrases and pattern plans into pattern cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "instruments.h"
#include "xm_module.h"

enum class LaneKind { Drum, Notes, Chords };

// What a line of a phrase plays, and on which channel (0-based).
struct Lane {
    std::string name;
    LaneKind kind;
    int channel;
    Voice voice;
    uint8_t drumNote = 0;            // Drum: the note every hit plays
    int secondChannel = -1;          // Chords: chords alternate between the two channels
    Voice minorVoice = Voice::Count; // Chords: the minor chord's instrument (voice is major)
};

struct PhraseLine {
    std::string lane;
    std::string text;
};

// A few rows of music over one or more lanes; every line has the same length.
struct Phrase {
    std::string name;
    std::vector<PhraseLine> lines;
};

// A pattern as a list of tracks; each track is a sequence (see ParseSequence)
// that must fill exactly `rows` rows.
struct PatternPlan {
    std::string name;
    int rows;
    std::vector<std::string> tracks;
};

struct Arrangement {
    int channels;
    std::vector<Lane> lanes;
    std::vector<Phrase> phrases;
    std::vector<PatternPlan> patterns; // in playing order
};

// Throws std::runtime_error (naming the pattern, row and lane) for unknown
// names, tracks of the wrong length and two notes meeting in one cell.
std::vector<XmPattern> ArrangePatterns(const Arrangement& arrangement);
