// The song as written in the module, read back for the music tests: the
// show's acts and the music's sections, and every note struck, with its time,
// channel and instrument.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "xm_reader.h"

// The show's acts, and the music's sections that follow them.
struct Section {
    const char* name;
    double start;
    double end;
};
extern const std::vector<Section> kSections;
extern const std::vector<double> kActStarts;
const Section& FindSection(const std::string& name);

struct NoteEvent {
    int row;        // rows from the song's start
    int order;      // the order it plays in
    int patternRow; // rows from its pattern's start
    double time;    // seconds
    int channel;
    uint8_t note; // 1..96
    std::string instrument;
    bool glide; // a tone portamento into the note, not a new strike
};

constexpr int kRowsPerBar = 24;
constexpr int kRowsPerBeat = 6;

double RowSeconds(const ParsedModule& module);
// Seconds from the song's start at which each order begins.
std::vector<double> OrderStarts(const ParsedModule& module);
// Every note in playing order; the instrument is the channel's last one.
std::vector<NoteEvent> NoteEvents(const ParsedModule& module);
// Names of the instruments that start a note between `from` and `to` seconds.
std::set<std::string> InstrumentsPlaying(const ParsedModule& module, double from, double to);
