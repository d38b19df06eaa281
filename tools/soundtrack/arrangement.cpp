#include "arrangement.h"

#include <stdexcept>

#include "notation.h"

namespace {

struct Placement {
    const Arrangement& arrangement;
    const PatternPlan& plan;
    XmPattern& pattern;
    int padChannelTurn; // which of a chord lane's channels takes the next chord
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

// Lays one phrase line at `firstRow`; returns its length in rows.
int PlaceLine(Placement& at, const PhraseLine& line, int firstRow, int trackVolume) {
    const Lane& lane = FindLane(at, line.lane);
    const uint8_t instrument = InstrumentNumber(lane.voice);
    int rows = 0;
    switch (lane.kind) {
    case LaneKind::Drum: {
        const std::vector<DrumStep> steps = ParseDrumLane(line.text);
        for (size_t i = 0; i < steps.size(); ++i) {
            if (steps[i].hit) {
                Put(at, firstRow + int(i), lane.channel,
                    {lane.drumNote, instrument, VolumeColumn(steps[i].volume, trackVolume), 0, 0},
                    lane.name);
            }
        }
        rows = int(steps.size());
        break;
    }
    case LaneKind::Notes: {
        const std::vector<NoteStep> steps = ParseNoteLane(line.text);
        for (size_t i = 0; i < steps.size(); ++i) {
            if (steps[i].note == kKeyOff) {
                Put(at, firstRow + int(i), lane.channel, {kKeyOff, 0, 0, 0, 0}, lane.name);
            } else if (steps[i].note != kNoNote) {
                Put(at, firstRow + int(i), lane.channel,
                    {steps[i].note, instrument, VolumeColumn(steps[i].volume, trackVolume), 0, 0},
                    lane.name);
            }
        }
        rows = int(steps.size());
        break;
    }
    case LaneKind::Chords: {
        // Each chord starts on the channel the last one is not using, and that
        // one is released at the same row: the old chord fades under the new.
        const std::vector<ChordStep> steps = ParseChordLane(line.text);
        const int channels[] = {lane.channel, lane.secondChannel};
        for (size_t i = 0; i < steps.size(); ++i) {
            const int row = firstRow + int(i);
            if (steps[i].root == kKeyOff) {
                Put(at, row, channels[0], {kKeyOff, 0, 0, 0, 0}, lane.name);
                Put(at, row, channels[1], {kKeyOff, 0, 0, 0, 0}, lane.name);
            } else if (steps[i].root != kNoNote) {
                const Voice voice = steps[i].minor ? lane.minorVoice : lane.voice;
                Put(at, row, channels[at.padChannelTurn],
                    {steps[i].root, InstrumentNumber(voice),
                     VolumeColumn(steps[i].volume, trackVolume), 0, 0},
                    lane.name);
                Put(at, row, channels[1 - at.padChannelTurn], {kKeyOff, 0, 0, 0, 0}, lane.name);
                at.padChannelTurn = 1 - at.padChannelTurn;
            }
        }
        rows = int(steps.size());
        break;
    }
    }
    return rows;
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
                const int rows = PlaceLine(at, line, row, item.volume);
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

} // namespace

std::vector<XmPattern> ArrangePatterns(const Arrangement& arrangement) {
    std::vector<XmPattern> patterns;
    int padChannelTurn = 0;
    for (const PatternPlan& plan : arrangement.patterns) {
        XmPattern pattern;
        pattern.rows = plan.rows;
        pattern.cells.assign(size_t(plan.rows) * arrangement.channels, XmCell{});
        Placement at{arrangement, plan, pattern, padChannelTurn};
        for (const std::string& track : plan.tracks) {
            PlaceTrack(at, track);
        }
        padChannelTurn = at.padChannelTurn;
        patterns.push_back(pattern);
    }
    return patterns;
}
