#include "arrangement.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "notation.h"

namespace {

constexpr uint8_t kTonePortamento = 0x3;
constexpr uint8_t kVibrato = 0x4;
constexpr uint8_t kSetPanning = 0x8;
constexpr int kSemitonesPerOctave = 12;
constexpr int kChordTones = 3;
// Chord voicings stay between F-3 and G-5 (XM notes).
constexpr int kLowestChordNote = 42;
constexpr int kHighestChordNote = 68;
const std::vector<uint8_t> kFirstVoicing = {49, 53, 56}; // C-4 E-4 G-4: around middle C
// Shuffled steps: where each sixteenth of a six-row beat falls.
constexpr int kRowsPerBeat = 6;
constexpr int kStepsPerBeat = 4;
constexpr int kShuffleRow[kStepsPerBeat] = {0, 2, 3, 5};

struct Placement {
    const Arrangement& arrangement;
    const PatternPlan& plan;
    XmPattern& pattern;
    std::vector<uint8_t>& voicing; // the chord lane's last voicing
};

[[noreturn]] void Fail(const PatternPlan& plan, const std::string& what) {
    throw std::runtime_error("pattern \"" + plan.name + "\": " + what);
}

const Lane& FindLane(const Placement& at, const std::string& name) {
    for (const Lane& lane : at.arrangement.lanes) {
        if (lane.name == name) {
            return lane;
        }
    }
    Fail(at.plan, "unknown lane \"" + name + "\"");
}

const Phrase& FindPhrase(const Placement& at, const std::string& name) {
    for (const Phrase& phrase : at.arrangement.phrases) {
        if (phrase.name == name) {
            return phrase;
        }
    }
    Fail(at.plan, "unknown phrase \"" + name + "\"");
}

uint8_t VolumeColumn(int stepVolume, int trackVolume) {
    const int volume = stepVolume != kNoVolume ? stepVolume : trackVolume;
    return volume == kNoVolume ? 0 : uint8_t(kVolumeColumnSet + volume);
}

void Put(Placement& at, int row, int channel, const XmCell& cell, const std::string& lane) {
    if (row >= at.plan.rows) {
        Fail(at.plan, "lane \"" + lane + "\" runs past the last row");
    }
    if (channel < 0 || channel >= at.arrangement.channels) {
        Fail(at.plan, "lane \"" + lane + "\" plays on a missing channel");
    }
    XmCell& target = at.pattern.cells[size_t(row) * at.arrangement.channels + channel];
    if (!IsEmpty(target)) {
        Fail(at.plan, "lane \"" + lane + "\" meets another note at row " + std::to_string(row));
    }
    target = cell;
}

// Row of step `step` within a phrase, and the phrase's length in rows.
int StepRow(Grid grid, int step) {
    if (grid == Grid::Rows) {
        return step;
    }
    return step / kStepsPerBeat * kRowsPerBeat + kShuffleRow[step % kStepsPerBeat];
}

int GridRows(const Placement& at, Grid grid, int steps) {
    if (grid == Grid::Rows) {
        return steps;
    }
    if (steps % kStepsPerBeat != 0) {
        Fail(at.plan, "a shuffled phrase must last whole beats");
    }
    return steps / kStepsPerBeat * kRowsPerBeat;
}

// Lays one phrase line at `firstRow`; returns its length in rows.
int PlaceLine(Placement& at, const PhraseLine& line, Grid grid, int firstRow, int trackVolume) {
    const Lane& lane = FindLane(at, line.lane);
    const uint8_t instrument = InstrumentNumber(lane.voice);
    const auto rowOf = [&](size_t step) { return firstRow + StepRow(grid, int(step)); };
    switch (lane.kind) {
    case LaneKind::Drum: {
        const std::vector<DrumStep> steps = ParseDrumLane(line.text);
        for (size_t i = 0; i < steps.size(); ++i) {
            if (steps[i].hit) {
                Put(at, rowOf(i), lane.channel,
                    {lane.drumNote, instrument, VolumeColumn(steps[i].volume, trackVolume), 0, 0},
                    lane.name);
            }
        }
        return GridRows(at, grid, int(steps.size()));
    }
    case LaneKind::Notes: {
        const std::vector<NoteStep> steps = ParseNoteLane(line.text);
        for (size_t i = 0; i < steps.size(); ++i) {
            const NoteStep& step = steps[i];
            if (step.note == kKeyOff) {
                Put(at, rowOf(i), lane.channel, {kKeyOff, 0, 0, 0, 0}, lane.name);
            } else if (step.glide) {
                if (lane.expression.glideSpeed == 0) {
                    Fail(at.plan, "lane \"" + lane.name + "\" has no glide");
                }
                Put(at, rowOf(i), lane.channel,
                    {step.note, 0, VolumeColumn(step.volume, kNoVolume), kTonePortamento,
                     lane.expression.glideSpeed},
                    lane.name);
            } else if (step.note != kNoNote) {
                Put(at, rowOf(i), lane.channel,
                    {step.note, instrument, VolumeColumn(step.volume, trackVolume), 0, 0},
                    lane.name);
            }
        }
        return GridRows(at, grid, int(steps.size()));
    }
    case LaneKind::Chords: {
        const std::vector<ChordStep> steps = ParseChordLane(line.text);
        const int tones = int(lane.chordPannings.size());
        if (tones != kChordTones) {
            Fail(at.plan, "lane \"" + lane.name + "\" needs a panning for each chord tone");
        }
        for (size_t i = 0; i < steps.size(); ++i) {
            const ChordStep& step = steps[i];
            if (step.root == kKeyOff) {
                for (int tone = 0; tone < tones; ++tone) {
                    Put(at, rowOf(i), lane.channel + tone, {kKeyOff, 0, 0, 0, 0}, lane.name);
                }
            } else if (step.root != kNoNote) {
                at.voicing =
                    VoiceChord((step.root - 1) % kSemitonesPerOctave, step.shape, at.voicing);
                for (int tone = 0; tone < tones; ++tone) {
                    Put(at, rowOf(i), lane.channel + tone,
                        {at.voicing[size_t(tone)], instrument,
                         VolumeColumn(step.volume, trackVolume), kSetPanning,
                         lane.chordPannings[size_t(tone)]},
                        lane.name);
                }
            }
        }
        return GridRows(at, grid, int(steps.size()));
    }
    }
    return 0;
}

void PlaceTrack(Placement& at, const std::string& track) {
    int row = 0;
    for (const SequenceItem& item : ParseSequence(track)) {
        if (item.phrase.empty()) {
            row += item.count;
            continue;
        }
        const Phrase& phrase = FindPhrase(at, item.phrase);
        for (int repeat = 0; repeat < item.count; ++repeat) {
            int length = -1;
            for (const PhraseLine& line : phrase.lines) {
                const int rows = PlaceLine(at, line, phrase.grid, row, item.volume);
                if (length >= 0 && rows != length) {
                    Fail(at.plan, "the lines of phrase \"" + phrase.name + "\" differ in length");
                }
                length = rows;
            }
            row += length;
        }
    }
    if (row != at.plan.rows) {
        Fail(at.plan, "track \"" + track + "\" fills " + std::to_string(row) + " rows of " +
                          std::to_string(at.plan.rows));
    }
}

// The song's rows one after the other, across patterns.
std::vector<XmCell*> ChannelRows(std::vector<XmPattern>& patterns, int channels, int channel) {
    std::vector<XmCell*> rows;
    for (XmPattern& pattern : patterns) {
        for (int row = 0; row < pattern.rows; ++row) {
            rows.push_back(&pattern.cells[size_t(row) * channels + channel]);
        }
    }
    return rows;
}

// Glides carry on over the next rows; held notes start to sing.
void AddExpression(std::vector<XmCell*>& rows, const Expression& expression) {
    bool sounding = false;
    int held = 0;
    int sliding = 0;
    for (XmCell* cell : rows) {
        if (cell->note == kKeyOff) {
            sounding = false;
            continue;
        }
        if (cell->note != kNoNote) {
            sounding = true;
            held = 0;
            sliding = cell->effect == kTonePortamento ? expression.glideRows : 0;
            continue;
        }
        ++held;
        if (!sounding || cell->effect != 0) {
            continue;
        }
        if (sliding > 0) {
            --sliding;
            cell->effect = kTonePortamento;
            cell->parameter = expression.glideSpeed;
        } else if (expression.vibratoDelay > 0 && held >= expression.vibratoDelay) {
            cell->effect = kVibrato;
            cell->parameter = expression.vibrato;
        }
    }
}

void AddEcho(std::vector<XmPattern>& patterns, const Arrangement& arrangement, const Lane& lane) {
    std::vector<XmCell*> from = ChannelRows(patterns, arrangement.channels, lane.channel);
    std::vector<XmCell*> to = ChannelRows(patterns, arrangement.channels, lane.echo.channel);
    for (size_t row = 0; row + size_t(lane.echo.rows) < from.size(); ++row) {
        const XmCell& source = *from[row];
        if (IsEmpty(source)) {
            continue;
        }
        XmCell& target = *to[row + size_t(lane.echo.rows)];
        if (!IsEmpty(target)) {
            throw std::runtime_error("the echo of lane \"" + lane.name + "\" meets a note");
        }
        target = source;
        if (source.instrument != 0) {
            target.instrument = InstrumentNumber(lane.echo.voice);
            const int volume = source.volume != 0 ? source.volume - kVolumeColumnSet : kMaxVolume;
            target.volume = uint8_t(kVolumeColumnSet + volume * lane.echo.percent / 100);
        } else if (source.volume != 0) {
            target.volume = uint8_t(kVolumeColumnSet +
                                    (source.volume - kVolumeColumnSet) * lane.echo.percent / 100);
        }
    }
}

} // namespace

std::vector<uint8_t> VoiceChord(int rootSemitone, const ChordShape& shape,
                                const std::vector<uint8_t>& previous) {
    const std::vector<uint8_t>& from = previous.empty() ? kFirstVoicing : previous;
    std::vector<uint8_t> best;
    int bestCost = 0;
    // Every close position (root position and each inversion) in range: the
    // chord's tones stacked upwards within an octave from the bottom one.
    for (int bottom = kLowestChordNote; bottom <= kHighestChordNote; ++bottom) {
        const int semitone = (bottom - 1) % kSemitonesPerOctave;
        const int above = (semitone - rootSemitone + kSemitonesPerOctave) % kSemitonesPerOctave;
        if (std::find(shape.begin(), shape.end(), above) == shape.end()) {
            continue;
        }
        std::vector<int> intervals;
        for (int tone : shape) {
            intervals.push_back((tone - above + kSemitonesPerOctave) % kSemitonesPerOctave);
        }
        std::sort(intervals.begin(), intervals.end());
        std::vector<uint8_t> voicing;
        for (int interval : intervals) {
            voicing.push_back(uint8_t(bottom + interval));
        }
        if (voicing.back() > kHighestChordNote) {
            continue;
        }
        int cost = 0;
        for (int tone = 0; tone < kChordTones; ++tone) {
            cost += std::abs(int(voicing[size_t(tone)]) - int(from[size_t(tone)]));
        }
        if (best.empty() || cost < bestCost) {
            best = voicing;
            bestCost = cost;
        }
    }
    return best;
}

std::vector<XmPattern> ArrangePatterns(const Arrangement& arrangement) {
    std::vector<XmPattern> patterns;
    std::vector<uint8_t> voicing;
    for (const PatternPlan& plan : arrangement.patterns) {
        XmPattern pattern;
        pattern.rows = plan.rows;
        pattern.cells.assign(size_t(plan.rows) * arrangement.channels, XmCell{});
        Placement at{arrangement, plan, pattern, voicing};
        for (const std::string& track : plan.tracks) {
            PlaceTrack(at, track);
        }
        patterns.push_back(pattern);
    }
    for (const Lane& lane : arrangement.lanes) {
        if (lane.kind != LaneKind::Notes) {
            continue;
        }
        const bool expressive = lane.expression.glideSpeed != 0 ||
                                lane.expression.vibratoDelay > 0 || lane.echo.channel >= 0;
        for (const Lane& other : arrangement.lanes) {
            if (expressive && &other != &lane && other.channel == lane.channel) {
                throw std::runtime_error("lane \"" + lane.name +
                                         "\" plays with expression or echo, so needs its "
                                         "channel to itself");
            }
        }
        if (lane.expression.glideSpeed != 0 || lane.expression.vibratoDelay > 0) {
            std::vector<XmCell*> rows = ChannelRows(patterns, arrangement.channels, lane.channel);
            AddExpression(rows, lane.expression);
        }
        if (lane.echo.channel >= 0) {
            AddEcho(patterns, arrangement, lane);
        }
    }
    return patterns;
}
