// Turns the song's written phrases and pattern plans into pattern cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "instruments.h"
#include "notation.h"
#include "xm_module.h"

enum class LaneKind { Drum, Notes, Chords };

// How a melodic lane is played, beyond its written notes.
struct Expression {
    uint8_t glideSpeed = 0; // 3xx speed of a "^" note; it keeps sliding for `glideRows`
    int glideRows = 0;      // rows after the "^" row that carry on the slide
    uint8_t vibrato = 0;    // 4xy (speed, depth) once a note has been held...
    int vibratoDelay = 0;   // ...this many rows; 0 = no vibrato
};

// A copy of a melodic lane played later, softer, by another instrument on
// another channel: an echo that answers from the other side of the stereo.
struct Echo {
    int channel = -1; // -1 = no echo
    Voice voice = Voice::Count;
    int rows = 0;
    int percent = 100; // of the volume of the note it repeats
};

// What a line of a phrase plays, and on which channel (0-based).
struct Lane {
    std::string name;
    LaneKind kind;
    int channel;
    Voice voice;
    uint8_t drumNote = 0; // Drum: the note every hit plays
    // Chords: one channel per chord tone, from `channel` up, each voice with
    // this 8xx panning; chords are voiced to move each voice the least.
    std::vector<uint8_t> chordPannings = {};
    Expression expression = {};
    Echo echo = {};
};

struct PhraseLine {
    std::string lane;
    std::string text;
};

// How a phrase's steps fall on the rows. The song's rows run at six to the
// beat: straight, a step is a row; shuffled, four steps make a beat, on
// rows 0, 2, 3 and 5: swung sixteenths.
enum class Grid { Rows, Shuffle };

// A few rows of music over one or more lanes; every line has the same length.
struct Phrase {
    std::string name;
    std::vector<PhraseLine> lines;
    Grid grid = Grid::Rows;
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

// The chord's three tones (XM notes), voiced as close to `previous` as the
// chord allows: each voice moves the least, so chords turn into inversions.
std::vector<uint8_t> VoiceChord(int rootSemitone, const ChordShape& shape,
                                const std::vector<uint8_t>& previous);

// Throws std::runtime_error (naming the pattern, row and lane) for unknown
// names, tracks of the wrong length and two notes meeting in one cell.
std::vector<XmPattern> ArrangePatterns(const Arrangement& arrangement);
