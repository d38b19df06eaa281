// The soundtrack judged as music, on what can be measured: the top octave
// kept in check, the kick heard over the bass, a climax with music of its
// own, a hook that returns varied, and act changes that do not all turn the
// same way. Renders by libmikmod (the show's player), read from the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "show/timeline.h"
#include "soundtrack_audio.h"
#include "soundtrack_render.h"
#include "soundtrack_score.h"
#include "soundtrack_bands.h"
#include "xm_reader.h"

namespace {

constexpr int kSemitones = 12;

const std::vector<uint8_t>& ModuleBytes() {
    static const std::vector<uint8_t> bytes = ReadWholeFile(SOUNDTRACK_XM_PATH);
    return bytes;
}

const ParsedModule& Module() {
    static const ParsedModule module = ParseXm(ModuleBytes());
    return module;
}

std::vector<NoteEvent> EventsOf(const std::string& instrument) {
    std::vector<NoteEvent> events;
    for (const NoteEvent& event : NoteEvents(Module())) {
        if (event.instrument == instrument) {
            events.push_back(event);
        }
    }
    return events;
}

// The pad's chords: the pitch classes struck together on one row.
std::map<int, std::set<int>> PadChords() {
    std::map<int, std::set<int>> chords;
    for (const NoteEvent& event : EventsOf("pad")) {
        chords[event.row].insert((event.note - 1) % kSemitones);
    }
    // Chords plucked on the arpeggio's voice: three of its notes at once.
    std::map<int, std::set<int>> plucked;
    for (const NoteEvent& event : EventsOf("arp")) {
        plucked[event.row].insert((event.note - 1) % kSemitones);
    }
    for (const auto& [row, chord] : plucked) {
        if (chord.size() >= 3) {
            chords[row] = chord;
        }
    }
    return chords;
}

// The chord sounding at `row`: the last one struck at or before it.
std::set<int> ChordAt(const std::map<int, std::set<int>>& chords, int row) {
    auto at = chords.upper_bound(row);
    return at == chords.begin() ? std::set<int>{} : std::prev(at)->second;
}

int RowOf(double seconds) {
    return int(std::lround(seconds / RowSeconds(Module())));
}

// Three pitch classes that stack as a major or minor triad, in any inversion.
bool IsTriad(const std::set<int>& classes) {
    if (classes.size() != 3) {
        return false;
    }
    for (int root : classes) {
        for (int third : {3, 4}) {
            if (classes.count((root + third) % kSemitones) &&
                classes.count((root + 7) % kSemitones)) {
                return true;
            }
        }
    }
    return false;
}

TEST(SoundtrackMusic, TopOctaveStaysInCheck) {
    constexpr double kTopHz = 11000.0;
    constexpr double kMostTopDb = -22.0;
    const double share = ShareAboveDb(RenderWithLibmikmod(SOUNDTRACK_XM_PATH), kTopHz);
    std::printf("energy above 11 kHz: %.1f dB of the whole\n", share);
    EXPECT_LE(share, kMostTopDb);
}

// In the first 30 ms of each kick the kick alone outweighs the bass alone in
// the lows, so the beat punches through.
TEST(SoundtrackMusic, KickPunchesThroughTheBass) {
    constexpr double kFrom = ActStart(kSpinAct);
    constexpr double kTo = ActStart(kEndTitleAct);
    constexpr double kWindow = 0.03;
    constexpr double kLowHz = 30.0;
    constexpr double kHighHz = 130.0;
    constexpr double kLeastLeadDb = 3.0;
    constexpr double kLeastShare = 0.75;
    constexpr double kFloor = 1e-20;
    const std::vector<float> kick =
        RenderBytesWithLibmikmod(WithOnlyInstruments(ModuleBytes(), {"kick"}));
    const std::vector<float> bass =
        RenderBytesWithLibmikmod(WithOnlyInstruments(ModuleBytes(), {"bass"}));
    std::vector<double> leads;
    for (const NoteEvent& event : EventsOf("kick")) {
        if (event.time < kFrom || event.time >= kTo) {
            continue;
        }
        const double kickEnergy = BandEnergy(kick, event.time, kWindow, kLowHz, kHighHz);
        const double bassEnergy = BandEnergy(bass, event.time, kWindow, kLowHz, kHighHz);
        leads.push_back(10.0 * std::log10((kickEnergy + kFloor) / (bassEnergy + kFloor)));
    }
    ASSERT_FALSE(leads.empty());
    const double ahead = double(std::count_if(leads.begin(), leads.end(),
                                              [](double d) { return d >= kLeastLeadDb; })) /
                         leads.size();
    std::vector<double> sorted = leads;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%zu kicks: %.0f %% at least 3 dB over the bass in 30-130 Hz, median %+.1f dB\n",
                leads.size(), 100.0 * ahead, sorted[sorted.size() / 2]);
    EXPECT_GE(ahead, kLeastShare);
}

// The spiral has music of its own: few of its lead bars are copies of bars
// heard before, it brings a chord and an instrument not heard before.
TEST(SoundtrackMusic, SpiralBringsMusicOfItsOwn) {
    constexpr double kMostCopiedShare = 0.25;
    const Section& spiral = FindSection("spiral");
    using Bar = std::vector<std::tuple<int, int, bool>>; // row in bar, note, glide
    // Bars counted from each pattern's start (the opening is not whole bars).
    std::map<std::pair<int, int>, Bar> bars;
    std::map<std::pair<int, int>, double> barTimes;
    for (const NoteEvent& event : EventsOf("lead")) {
        const std::pair<int, int> at = {event.order, event.patternRow / kRowsPerBar};
        bars[at].push_back({event.patternRow % kRowsPerBar, event.note, event.glide});
        barTimes.emplace(at, event.time - (event.patternRow % kRowsPerBar) * RowSeconds(Module()));
    }
    std::set<Bar> before;
    int spiralBars = 0;
    int copies = 0;
    for (const auto& [at, bar] : bars) {
        const double time = barTimes[at];
        if (time < spiral.start) {
            before.insert(bar);
        } else if (time < spiral.end) {
            ++spiralBars;
            copies += int(before.count(bar));
        }
    }
    std::printf("spiral: %d of %d lead bars heard before\n", copies, spiralBars);
    ASSERT_GT(spiralBars, 0);
    EXPECT_LE(double(copies) / spiralBars, kMostCopiedShare);

    std::set<std::set<int>> chordsBefore;
    int newChords = 0;
    for (const auto& [row, chord] : PadChords()) {
        const double time = row * RowSeconds(Module());
        if (time < spiral.start) {
            chordsBefore.insert(chord);
        } else if (time < spiral.end) {
            newChords += int(chordsBefore.count(chord) == 0);
        }
    }
    std::printf("spiral: %d chords struck that were not heard before\n", newChords);
    EXPECT_GT(newChords, 0) << "the spiral changes neither key nor harmony";

    const std::set<std::string> earlier = InstrumentsPlaying(Module(), 0.0, spiral.start);
    std::set<std::string> fresh;
    for (const std::string& name : InstrumentsPlaying(Module(), spiral.start, spiral.end)) {
        if (earlier.count(name) == 0) {
            fresh.insert(name);
            std::printf("spiral: new layer %s\n", name.c_str());
        }
    }
    EXPECT_FALSE(fresh.empty()) << "the spiral brings no layer not heard before";
}

// The hook: the lead's first four notes in the cube. Not a plain triad, a
// rhythm of its own (an anticipation across a beat or a dotted figure), and
// it returns at least three times, each time varied in rhythm, register or
// harmony. The arpeggio does not keep rising through triads under it.
TEST(SoundtrackMusic, HookHasItsOwnRhythmAndReturnsVaried) {
    constexpr size_t kMotifNotes = 4;
    constexpr int kLeastReturns = 3;
    constexpr double kMostRisingTriads = 0.02;
    const std::vector<NoteEvent> lead = EventsOf("lead");
    const std::map<int, std::set<int>> chords = PadChords();
    const int cube = RowOf(FindSection("cube").start);
    size_t head = 0;
    while (head < lead.size() && lead[head].row < cube) {
        ++head;
    }
    ASSERT_GE(lead.size(), head + kMotifNotes + 1);
    auto shape = [&](size_t at) {
        std::vector<int> intervals;
        for (size_t i = 1; i < kMotifNotes; ++i) {
            intervals.push_back(lead[at + i].note - lead[at + i - 1].note);
        }
        return intervals;
    };
    // How one appearance sounds: its rhythm, its register and the chord under it.
    auto colour = [&](size_t at) {
        std::vector<int> rhythm;
        for (size_t i = 1; i <= kMotifNotes; ++i) {
            rhythm.push_back(lead[at + i].row - lead[at + i - 1].row);
        }
        return std::make_tuple(rhythm, int(lead[at].note), ChordAt(chords, lead[at].row));
    };

    std::set<int> opening;
    for (size_t i = 0; i < 3; ++i) {
        opening.insert((lead[head + i].note - 1) % kSemitones);
    }
    EXPECT_FALSE(IsTriad(opening)) << "the hook opens on a plain triad";

    bool rhythmOfItsOwn = false;
    for (size_t i = 0; i < kMotifNotes; ++i) {
        const int row = lead[head + i].row;
        const int length = lead[head + i + 1].row - row;
        const int toNextBeat = kRowsPerBeat - row % kRowsPerBeat;
        const bool anticipation = row % kRowsPerBeat != 0 && length > toNextBeat;
        const int nextLength =
            i + 2 < lead.size() - head ? lead[head + i + 2].row - lead[head + i + 1].row : 0;
        const bool dotted = nextLength > 0 && length == 3 * nextLength;
        rhythmOfItsOwn = rhythmOfItsOwn || anticipation || dotted;
    }
    EXPECT_TRUE(rhythmOfItsOwn) << "the hook has neither an anticipation nor a dotted figure";

    std::set<decltype(colour(0))> heard = {colour(head)};
    int returns = 0;
    for (size_t at = head + kMotifNotes; at + kMotifNotes < lead.size(); ++at) {
        if (shape(at) == shape(head) && heard.insert(colour(at)).second) {
            ++returns;
            std::printf("hook returns at %.1f s\n", lead[at].time);
        }
    }
    EXPECT_GE(returns, kLeastReturns) << "the hook does not come back varied";

    const std::vector<NoteEvent> arp = EventsOf("arp");
    int rising = 0;
    for (size_t i = 2; i < arp.size(); ++i) {
        const int first = arp[i - 1].note - arp[i - 2].note;
        const int second = arp[i].note - arp[i - 1].note;
        rising += int((first == 3 || first == 4) && (second == 3 || second == 4));
    }
    const double share = arp.size() > 2 ? double(rising) / (arp.size() - 2) : 0.0;
    std::printf("arpeggio: %d of %zu steps rise through a triad\n", rising, arp.size());
    EXPECT_LE(share, kMostRisingTriads);
}

// Act changes do not all turn the same way: at most three share the same
// chord before, chord after and crash on the downbeat.
TEST(SoundtrackMusic, ActChangesTurnInDifferentWays) {
    constexpr int kMostAlike = 3;
    const std::map<int, std::set<int>> chords = PadChords();
    std::set<int> crashRows;
    for (const NoteEvent& event : EventsOf("crash")) {
        crashRows.insert(event.row);
    }
    std::map<std::tuple<std::set<int>, std::set<int>, bool>, int> formulas;
    for (double act : kActStarts) {
        const int row = RowOf(act);
        const auto formula = std::make_tuple(ChordAt(chords, row - 1), ChordAt(chords, row),
                                             crashRows.count(row) != 0);
        std::printf("act at %5.1f s: crash %s\n", act, std::get<2>(formula) ? "yes" : "no");
        ++formulas[formula];
    }
    int alike = 0;
    for (const auto& [formula, count] : formulas) {
        alike = std::max(alike, count);
    }
    std::printf("%d of %zu act changes share one formula\n", alike, kActStarts.size());
    EXPECT_LE(alike, kMostAlike);
}

} // namespace
