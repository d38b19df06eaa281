#include "soundtrack_score.h"

#include <stdexcept>

#include "show/timeline.h"

namespace {

constexpr uint8_t kLastNote = 96;
constexpr uint8_t kTonePortamento = 3;
constexpr double kSecondsPerTickAtOneBpm = 2.5;

// The song's name for the section of each act.
constexpr const char* kSectionNames[kActCount] = {
    "opening", "cube", "lift", "turn", "typing", "spiral", "greetings", "end",
};
// The last section is measured until the release before the show's end.
constexpr double kReleaseBeforeTheEnd = 0.5;

std::vector<Section> SectionsOfTheActs() {
    std::vector<Section> sections;
    for (int act = 0; act < kActCount; ++act) {
        const double end = act + 1 < kActCount ? ActStart(ShowAct(act + 1))
                                               : kShowEnd - kReleaseBeforeTheEnd;
        sections.push_back({kSectionNames[act], ActStart(ShowAct(act)), end});
    }
    return sections;
}

std::vector<double> ActChanges() {
    std::vector<double> starts;
    for (int act = kSpinAct; act < kActCount; ++act) {
        starts.push_back(ActStart(ShowAct(act)));
    }
    return starts;
}

} // namespace

const std::vector<Section> kSections = SectionsOfTheActs();
const std::vector<double> kActStarts = ActChanges();

const Section& FindSection(const std::string& name) {
    for (const Section& section : kSections) {
        if (name == section.name) {
            return section;
        }
    }
    throw std::runtime_error("no section " + name);
}

double RowSeconds(const ParsedModule& module) {
    return module.speed * kSecondsPerTickAtOneBpm / module.bpm;
}

std::vector<double> OrderStarts(const ParsedModule& module) {
    std::vector<double> starts;
    double clock = 0.0;
    for (int i = 0; i < module.songLength; ++i) {
        starts.push_back(clock);
        clock += module.patterns[module.orders[i]].rows * RowSeconds(module);
    }
    return starts;
}

std::vector<NoteEvent> NoteEvents(const ParsedModule& module) {
    std::vector<NoteEvent> events;
    std::vector<int> lastInstrument(module.channels, 0);
    int firstRow = 0;
    for (int i = 0; i < module.songLength; ++i) {
        const ParsedPattern& pattern = module.patterns[module.orders[i]];
        for (size_t c = 0; c < pattern.cells.size(); ++c) {
            const ParsedCell& cell = pattern.cells[c];
            const int channel = int(c % module.channels);
            if (cell.instrument != 0) {
                lastInstrument[channel] = cell.instrument;
            }
            const int instrument = lastInstrument[channel];
            if (cell.note < 1 || cell.note > kLastNote || instrument == 0 ||
                size_t(instrument) > module.instruments.size()) {
                continue;
            }
            const int patternRow = int(c / module.channels);
            const int row = firstRow + patternRow;
            events.push_back({row, i, patternRow, row * RowSeconds(module), channel, cell.note,
                              module.instruments[instrument - 1].name,
                              cell.effect == kTonePortamento});
        }
        firstRow += pattern.rows;
    }
    return events;
}

std::set<std::string> InstrumentsPlaying(const ParsedModule& module, double from, double to) {
    std::set<std::string> names;
    for (const NoteEvent& event : NoteEvents(module)) {
        if (event.time >= from && event.time < to) {
            names.insert(event.instrument);
        }
    }
    return names;
}
