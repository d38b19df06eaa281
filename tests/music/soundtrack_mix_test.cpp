// The soundtrack as a listener meets it: demo.xm rendered by libmikmod through
// SDL_mixer (the show's player), and by libopenmpt and libxmp, then measured:
// loudness and true peak (EBU R128, by FFmpeg), the sections' loudness, the
// stereo width, the balance of the parts, the timing of the typing blips,
// the melody's presence, the changes at the show's acts and the ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "soundtrack_audio.h"
#include "soundtrack_loudness.h"
#include "soundtrack_render.h"
#include "xm_reader.h"

namespace {

// The show's acts, and the music's sections that follow them.
struct Section {
    const char* name;
    double start;
    double end;
};
// clang-format off
const Section kSections[] = {
    {"opening",    0.0,   9.0},
    {"cube",       9.0,  23.0},
    {"lift",      23.0,  35.0},
    {"turn",      35.0,  47.0},
    {"typing",    47.0,  72.0},
    {"spiral",    72.0,  90.0},
    {"greetings", 90.0, 100.0},
    {"end",      100.0, 106.5},
};
// clang-format on
const char* const kFullSections[] = {"lift", "turn", "spiral"};
const double kActStarts[] = {9.0, 23.0, 35.0, 47.0, 72.0, 90.0, 100.0};

// Targets.
constexpr double kQuietestLufs = -17.0;
constexpr double kLoudestLufs = -14.0;
constexpr double kHighestTruePeak = -1.0;
constexpr double kLeastRange = 5.0;
constexpr double kLeastSideToMidDb = -15.0;
constexpr double kMostPartBelowMix = 15.0;
constexpr double kEarliestEnd = 106.5;
constexpr double kLatestEnd = 107.5;
constexpr double kEndingSeconds = 0.25;
constexpr double kSilentDbfs = -50.0;
constexpr double kBlipTolerance = 0.015;
constexpr double kLongestWithoutMelody = 12.0;
constexpr double kMelodyFrom = 9.0;
constexpr double kMelodyTo = 100.0;
constexpr double kActTolerance = 0.75;

const char* const kMelodicInstruments[] = {"lead", "answer"};
constexpr const char* kBlipInstrument = "blip";

const std::vector<uint8_t>& ModuleBytes() {
    static const std::vector<uint8_t> bytes = ReadWholeFile(SOUNDTRACK_XM_PATH);
    return bytes;
}

const std::vector<float>& MixerRender() {
    static const std::vector<float> render = RenderWithMixer(SOUNDTRACK_XM_PATH);
    return render;
}

const Section& FindSection(const std::string& name) {
    for (const Section& section : kSections) {
        if (name == section.name) {
            return section;
        }
    }
    throw std::runtime_error("no section " + name);
}

std::vector<float> SectionOf(const std::vector<float>& render, const Section& section) {
    return Slice(render, section.start, section.end - section.start);
}

// The full sections one after the other.
std::vector<float> FullSections(const std::vector<float>& render) {
    std::vector<float> joined;
    for (const char* name : kFullSections) {
        const std::vector<float> part = SectionOf(render, FindSection(name));
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

double Seconds(const std::vector<float>& render) {
    return double(render.size() / 2) / kRenderRate;
}

double PeakDbfs(const std::vector<float>& stereo) {
    float peak = 0.0f;
    for (float sample : stereo) {
        peak = std::max(peak, std::fabs(sample));
    }
    return 20.0 * std::log10(std::max(double(peak), 1e-12));
}

// Seconds from the song's start at which each order begins.
std::vector<double> OrderStarts(const ParsedModule& module) {
    const double rowSeconds = module.speed * 2.5 / module.bpm;
    std::vector<double> starts;
    double clock = 0.0;
    for (int i = 0; i < module.songLength; ++i) {
        starts.push_back(clock);
        clock += module.patterns[module.orders[i]].rows * rowSeconds;
    }
    return starts;
}

// Names of the instruments that start a note between `from` and `to` seconds.
std::set<std::string> InstrumentsPlaying(const ParsedModule& module, double from, double to) {
    const double rowSeconds = module.speed * 2.5 / module.bpm;
    const std::vector<double> starts = OrderStarts(module);
    std::set<std::string> names;
    for (int i = 0; i < module.songLength; ++i) {
        const ParsedPattern& pattern = module.patterns[module.orders[i]];
        for (size_t c = 0; c < pattern.cells.size(); ++c) {
            const ParsedCell& cell = pattern.cells[c];
            const double time = starts[i] + double(c / module.channels) * rowSeconds;
            if (cell.instrument != 0 && cell.instrument <= module.instruments.size() &&
                cell.note >= 1 && cell.note <= 96 && time >= from && time < to) {
                names.insert(module.instruments[cell.instrument - 1].name);
            }
        }
    }
    return names;
}

void CheckLoudness(const char* player, const std::vector<float>& render, bool integrated) {
    ASSERT_FALSE(render.empty()) << player << " gave no render";
    const Loudness loudness = MeasureLoudness(render);
    std::printf("%s: integrated %.1f LUFS, range %.1f LU, true peak %.1f dBTP\n", player,
                loudness.integrated, loudness.range, loudness.truePeak);
    ::testing::Test::RecordProperty("integrated_lufs", std::to_string(loudness.integrated));
    ::testing::Test::RecordProperty("true_peak_dbtp", std::to_string(loudness.truePeak));
    EXPECT_LE(loudness.truePeak, kHighestTruePeak) << player;
    if (integrated) {
        EXPECT_GE(loudness.integrated, kQuietestLufs) << player;
        EXPECT_LE(loudness.integrated, kLoudestLufs) << player;
        EXPECT_GE(loudness.range, kLeastRange) << player;
    }
}

// The show's player sets the loudness target; all three keep the peak down.
TEST(SoundtrackMix, MixerLoudnessRangeAndTruePeak) {
    CheckLoudness("libmikmod", MixerRender(), true);
}

TEST(SoundtrackMix, OpenMptTruePeak) {
    CheckLoudness("libopenmpt", RenderWithOpenMpt(SOUNDTRACK_XM_PATH), false);
}

TEST(SoundtrackMix, XmpTruePeak) {
    CheckLoudness("libxmp", RenderWithXmp(SOUNDTRACK_XM_PATH), false);
}

// The pyramid spiral is the climax: louder than any other section, and no
// section has more instruments playing.
TEST(SoundtrackMix, SpiralIsTheLoudestAndFullestSection) {
    const ParsedModule module = ParseXm(ModuleBytes());
    const Section& spiral = FindSection("spiral");
    const double spiralLoudness = MeasureLoudness(SectionOf(MixerRender(), spiral)).integrated;
    const size_t spiralParts = InstrumentsPlaying(module, spiral.start, spiral.end).size();
    for (const Section& section : kSections) {
        const double loudness = MeasureLoudness(SectionOf(MixerRender(), section)).integrated;
        const size_t parts = InstrumentsPlaying(module, section.start, section.end).size();
        std::printf("%-10s %5.1f-%5.1f s: %6.1f LUFS, %zu instruments\n", section.name,
                    section.start, section.end, loudness, parts);
        if (&section != &spiral) {
            EXPECT_LT(loudness, spiralLoudness) << section.name;
            EXPECT_LE(parts, spiralParts) << section.name;
        }
    }
}

TEST(SoundtrackMix, FullSectionsAreWide) {
    for (const char* name : kFullSections) {
        const double width = SideToMidDb(SectionOf(MixerRender(), FindSection(name)));
        std::printf("%-7s side/mid %.1f dB\n", name, width);
        EXPECT_GE(width, kLeastSideToMidDb) << name;
    }
}

// Each instrument heard in the full sections, alone (the others' samples
// silenced), is within reach of the whole mix there.
TEST(SoundtrackMix, EveryPartIsHeardInTheFullSections) {
    const ParsedModule module = ParseXm(ModuleBytes());
    std::set<std::string> parts;
    for (const char* name : kFullSections) {
        const Section& section = FindSection(name);
        const std::set<std::string> playing =
            InstrumentsPlaying(module, section.start, section.end);
        parts.insert(playing.begin(), playing.end());
    }
    const double mix = MeasureLoudness(FullSections(MixerRender())).integrated;
    std::printf("mix in the full sections: %.1f LUFS\n", mix);
    ASSERT_FALSE(parts.empty());
    for (const std::string& part : parts) {
        const std::vector<float> alone =
            RenderBytesWithMixer(WithOnlyInstruments(ModuleBytes(), {part}));
        const double loudness = MeasureLoudness(FullSections(alone)).integrated;
        std::printf("%-12s %6.1f LUFS (%+.1f LU)\n", part.c_str(), loudness, loudness - mix);
        EXPECT_GE(loudness, mix - kMostPartBelowMix) << part;
    }
}

void CheckEnding(const char* player, const std::vector<float>& render) {
    ASSERT_FALSE(render.empty()) << player << " gave no render";
    const double seconds = Seconds(render);
    const double tail = PeakDbfs(Slice(render, seconds - kEndingSeconds, kEndingSeconds));
    std::printf("%s: ends at %.3f s, last quarter second peaks at %.1f dBFS\n", player, seconds,
                tail);
    EXPECT_GE(seconds, kEarliestEnd) << player;
    EXPECT_LE(seconds, kLatestEnd) << player;
    EXPECT_LT(tail, kSilentDbfs) << player << ": the song is cut, not ended";
}

TEST(SoundtrackMix, EndsInSilenceInEveryPlayer) {
    CheckEnding("libmikmod", MixerRender());
    CheckEnding("libopenmpt", RenderWithOpenMpt(SOUNDTRACK_XM_PATH));
    CheckEnding("libxmp", RenderWithXmp(SOUNDTRACK_XM_PATH));
}

// One blip per typed glyph, each on its second from 50 to 63 s.
TEST(SoundtrackMix, TypingBlipsLandOnTheSecond) {
    constexpr double kThreshold = 0.003;
    constexpr double kQuietBefore = 0.2;
    constexpr double kFirst = 50.0;
    constexpr int kGlyphs = 14;
    const std::vector<float> alone =
        RenderBytesWithMixer(WithOnlyInstruments(ModuleBytes(), {kBlipInstrument}));
    std::vector<double> blips;
    for (double onset : Onsets(alone, kThreshold, kQuietBefore)) {
        if (onset > FindSection("typing").start && onset < FindSection("typing").end) {
            blips.push_back(onset);
        }
    }
    ASSERT_EQ(blips.size(), size_t(kGlyphs));
    for (int i = 0; i < kGlyphs; ++i) {
        std::printf("blip %2d at %.4f s\n", i + 1, blips[i]);
        EXPECT_NEAR(blips[i], kFirst + i, kBlipTolerance) << "blip " << i + 1;
    }
}

// Between the first act and the end title, the tune is never away for long.
TEST(SoundtrackMix, MelodyIsNeverAwayLongerThanTwelveSeconds) {
    constexpr double kWindow = 0.05;
    std::set<std::string> melodic(std::begin(kMelodicInstruments), std::end(kMelodicInstruments));
    const std::vector<float> alone =
        RenderBytesWithMixer(WithOnlyInstruments(ModuleBytes(), melodic));
    double lastHeard = kMelodyFrom;
    double longest = 0.0;
    double longestFrom = kMelodyFrom;
    for (double t = kMelodyFrom; t < kMelodyTo; t += kWindow) {
        if (PeakDbfs(Slice(alone, t, kWindow)) >= kSilentDbfs) {
            if (t - lastHeard > longest) {
                longest = t - lastHeard;
                longestFrom = lastHeard;
            }
            lastHeard = t + kWindow;
        }
    }
    if (kMelodyTo - lastHeard > longest) {
        longest = kMelodyTo - lastHeard;
        longestFrom = lastHeard;
    }
    std::printf("longest stretch without melody: %.2f s from %.2f s\n", longest, longestFrom);
    EXPECT_LE(longest, kLongestWithoutMelody) << "from " << longestFrom << " s";
}

// Level of a few aspects of the sound in a window, in dB: the whole, the
// lows (kick and bass), the top octaves (cymbals, hats, snare) and the side
// signal. A new act changes at least one of them clearly.
constexpr int kAspects = 4;
struct Aspects {
    double level[kAspects];
};

Aspects AspectsOf(const std::vector<float>& stereo, double start, double seconds) {
    constexpr double kLowHz = 150.0;
    constexpr double kTopHz = 6000.0;
    const double lowStep = 1.0 - std::exp(-2.0 * M_PI * kLowHz / kRenderRate);
    const double topStep = 1.0 - std::exp(-2.0 * M_PI * kTopHz / kRenderRate);
    const size_t from = size_t(std::max(0.0, start) * kRenderRate);
    const size_t to = std::min(stereo.size() / 2, from + size_t(seconds * kRenderRate));
    double low = 0.0;
    double firstSmooth = 0.0;
    double secondSmooth = 0.0;
    double sums[kAspects] = {0, 0, 0, 0};
    for (size_t i = from; i < to; ++i) {
        const double mid = 0.5 * (double(stereo[2 * i]) + stereo[2 * i + 1]);
        const double side = 0.5 * (double(stereo[2 * i]) - stereo[2 * i + 1]);
        low += lowStep * (mid - low);
        firstSmooth += topStep * (mid - firstSmooth);
        const double firstHigh = mid - firstSmooth;
        secondSmooth += topStep * (firstHigh - secondSmooth);
        const double top = firstHigh - secondSmooth;
        sums[0] += mid * mid;
        sums[1] += low * low;
        sums[2] += top * top;
        sums[3] += side * side;
    }
    Aspects aspects;
    for (int k = 0; k < kAspects; ++k) {
        aspects.level[k] = 10.0 * std::log10(std::max(sums[k], 1e-20) / double(to - from + 1));
    }
    return aspects;
}

// The largest change in any aspect between the seconds before and after `t`.
double ChangeAt(const std::vector<float>& stereo, double t) {
    constexpr double kWindow = 1.5;
    constexpr double kGap = 0.1;
    const Aspects before = AspectsOf(stereo, t - kGap - kWindow, kWindow);
    const Aspects after = AspectsOf(stereo, t + kGap, kWindow);
    double change = 0.0;
    for (int k = 0; k < kAspects; ++k) {
        change = std::max(change, std::fabs(after.level[k] - before.level[k]));
    }
    return change;
}

// The music turns with the show: something clearly changes at each act's
// start, and the level never falls away between acts.
TEST(SoundtrackMix, ChangesComeWithTheActs) {
    constexpr double kClearChangeDb = 5.0;
    constexpr double kStep = 0.25;
    constexpr double kDropWindow = 2.0;
    constexpr double kLargestDropDb = 4.0;
    const std::vector<float>& render = MixerRender();
    for (double act : kActStarts) {
        double largest = 0.0;
        for (double t = act - kActTolerance; t <= act + kActTolerance + 1e-9; t += kStep) {
            largest = std::max(largest, ChangeAt(render, t));
        }
        std::printf("act at %5.1f s: change of %.1f dB\n", act, largest);
        EXPECT_GE(largest, kClearChangeDb) << "no clear change at " << act << " s";
    }
    double largestDrop = 0.0;
    double largestDropAt = 0.0;
    for (double t = kDropWindow; t < FindSection("end").start; t += kStep) {
        bool nearAct = false;
        for (double act : kActStarts) {
            nearAct = nearAct || std::fabs(t - act) <= kActTolerance;
        }
        const double drop = AspectsOf(render, t - kDropWindow, kDropWindow).level[0] -
                            AspectsOf(render, t, kDropWindow).level[0];
        if (!nearAct && drop > largestDrop) {
            largestDrop = drop;
            largestDropAt = t;
        }
    }
    std::printf("largest drop between acts: %.1f dB at %.2f s\n", largestDrop, largestDropAt);
    EXPECT_LT(largestDrop, kLargestDropDb)
        << "the music falls away at " << largestDropAt << " s, between acts";
}

} // namespace
