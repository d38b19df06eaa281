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

#include "show/timeline.h"
#include "soundtrack_audio.h"
#include "soundtrack_loudness.h"
#include "soundtrack_render.h"
#include "soundtrack_score.h"
#include "soundtrack_bands.h"
#include "xm_reader.h"

namespace {

const char* const kFullSections[] = {"lift", "turn", "spiral"};

// Targets.
constexpr double kQuietestLufs = -17.0;
constexpr double kLoudestLufs = -14.0;
constexpr double kHighestTruePeak = -1.0;
constexpr double kLeastRange = 5.0;
constexpr double kLeastSideToMidDb = -15.0;
constexpr double kMostPartBelowMix = 15.0;     // in the full sections
constexpr double kMostPartBelowSection = 18.0; // in any section where the part plays
constexpr double kMostRiserBelowMix = 12.0;    // over each of its notes
constexpr double kClimaxMarginLu = 3.0;        // the earlier acts held back
constexpr double kEarliestEnd = 106.5;
constexpr double kLatestEnd = 107.5;
constexpr double kEndingSeconds = 0.25;
constexpr double kSilentDbfs = -50.0;
constexpr double kBlipTolerance = 0.015;
constexpr double kLongestWithoutMelody = 12.0;
constexpr double kMelodyFrom = ActStart(kSpinAct);
constexpr double kMelodyTo = ActStart(kEndTitleAct);
constexpr double kActTolerance = 0.5;

const char* const kMelodicInstruments[] = {"lead", "answer"};
constexpr const char* kBlipInstrument = "blip";
constexpr const char* kRiserInstrument = "riser";
constexpr double kRiserSeconds = 2.0;

const std::vector<uint8_t>& ModuleBytes() {
    static const std::vector<uint8_t> bytes = ReadWholeFile(SOUNDTRACK_XM_PATH);
    return bytes;
}

const std::vector<float>& MixerRender() {
    static const std::vector<float> render = RenderWithMixer(SOUNDTRACK_XM_PATH);
    return render;
}

// The same samples as the mixer's, rendered without its audio thread: for the
// tests that measure within the song (never mixed with MixerRender in one test).
const std::vector<float>& ShowRender() {
    static const std::vector<float> render = RenderWithLibmikmod(SOUNDTRACK_XM_PATH);
    return render;
}

std::vector<float> SectionOf(const std::vector<float>& render, const Section& section) {
    return Slice(render, section.start, section.end - section.start);
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

Span SpanOf(const Section& section) {
    return {section.start, section.end};
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

// The pyramid spiral is the climax: it stands well above every other section,
// and no section has more instruments playing.
TEST(SoundtrackMix, SpiralIsTheLoudestAndFullestSection) {
    const ParsedModule module = ParseXm(ModuleBytes());
    const Section& spiral = FindSection("spiral");
    const LoudnessBlocks blocks = MeasureBlocks(ShowRender());
    const double spiralLoudness = IntegratedLoudness(blocks, {SpanOf(spiral)});
    const size_t spiralParts = InstrumentsPlaying(module, spiral.start, spiral.end).size();
    for (const Section& section : kSections) {
        const double loudness = IntegratedLoudness(blocks, {SpanOf(section)});
        const size_t parts = InstrumentsPlaying(module, section.start, section.end).size();
        std::printf("%-10s %5.1f-%5.1f s: %6.1f LUFS, %zu instruments\n", section.name,
                    section.start, section.end, loudness, parts);
        if (&section != &spiral) {
            EXPECT_LE(loudness, spiralLoudness - kClimaxMarginLu) << section.name;
            EXPECT_LE(parts, spiralParts) << section.name;
        }
    }
}

TEST(SoundtrackMix, FullSectionsAreWide) {
    for (const char* name : kFullSections) {
        const double width = SideToMidDb(SectionOf(ShowRender(), FindSection(name)));
        std::printf("%-7s side/mid %.1f dB\n", name, width);
        EXPECT_GE(width, kLeastSideToMidDb) << name;
    }
}

// Each instrument heard alone (the others' samples silenced) is within reach
// of the whole mix: over the full sections, in every section where it plays,
// and the riser over each of its notes.
TEST(SoundtrackMix, EveryPartIsHeardWhereItPlays) {
    const ParsedModule module = ParseXm(ModuleBytes());
    const LoudnessBlocks mix = MeasureBlocks(ShowRender());
    std::vector<Span> full;
    for (const char* name : kFullSections) {
        full.push_back(SpanOf(FindSection(name)));
    }
    const double fullMix = IntegratedLoudness(mix, full);
    std::printf("mix in the full sections: %.1f LUFS\n", fullMix);
    for (const ParsedInstrument& instrument : module.instruments) {
        const std::string& part = instrument.name;
        const LoudnessBlocks alone =
            MeasureBlocks(RenderBytesWithLibmikmod(WithOnlyInstruments(ModuleBytes(), {part})));
        std::printf("%-12s", part.c_str());
        bool inFull = false;
        for (const Section& section : kSections) {
            if (InstrumentsPlaying(module, section.start, section.end).count(part) == 0) {
                std::printf("      .");
                continue;
            }
            for (const char* name : kFullSections) {
                inFull = inFull || section.name == std::string(name);
            }
            const double below = IntegratedLoudness(alone, {SpanOf(section)}) -
                                 IntegratedLoudness(mix, {SpanOf(section)});
            std::printf(" %+6.1f", below);
            EXPECT_GE(below, -kMostPartBelowSection) << part << " in the " << section.name;
        }
        if (inFull) {
            const double below = IntegratedLoudness(alone, full) - fullMix;
            std::printf("  full %+6.1f", below);
            EXPECT_GE(below, -kMostPartBelowMix) << part << " in the full sections";
        }
        std::printf("  (LU against the mix)\n");
        if (part != kRiserInstrument) {
            continue;
        }
        int notes = 0;
        for (const NoteEvent& event : NoteEvents(module)) {
            if (event.instrument == kRiserInstrument) {
                ++notes;
                const Span note = {event.time, event.time + kRiserSeconds};
                const double below =
                    IntegratedLoudness(alone, {note}) - IntegratedLoudness(mix, {note});
                std::printf("riser at %.1f s: %+.1f LU against the mix\n", event.time, below);
                EXPECT_GE(below, -kMostRiserBelowMix) << "the riser at " << event.time << " s";
            }
        }
        EXPECT_GT(notes, 0) << "no riser";
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

// One blip per typed glyph, each on its second from 50 to 63 s, and heard
// over the rest of the music where the ear is keenest (0.5-4 kHz).
TEST(SoundtrackMix, TypingBlipsLandOnTheSecondAndStandOut) {
    constexpr double kThreshold = 0.003;
    constexpr double kQuietBefore = 0.2;
    constexpr double kFirst = 50.0;
    constexpr int kGlyphs = 14;
    constexpr double kAttackSeconds = 0.05;
    constexpr double kLowHz = 500.0;
    constexpr double kHighHz = 4000.0;
    constexpr double kLeastOverRestDb = 3.0;
    const std::vector<float> alone =
        RenderBytesWithLibmikmod(WithOnlyInstruments(ModuleBytes(), {kBlipInstrument}));
    std::set<std::string> others;
    for (const ParsedInstrument& instrument : ParseXm(ModuleBytes()).instruments) {
        if (instrument.name != kBlipInstrument) {
            others.insert(instrument.name);
        }
    }
    const std::vector<float> rest =
        RenderBytesWithLibmikmod(WithOnlyInstruments(ModuleBytes(), others));
    std::vector<double> blips;
    for (double onset : Onsets(alone, kThreshold, kQuietBefore)) {
        if (onset > FindSection("typing").start && onset < FindSection("typing").end) {
            blips.push_back(onset);
        }
    }
    ASSERT_EQ(blips.size(), size_t(kGlyphs));
    for (int i = 0; i < kGlyphs; ++i) {
        const double over =
            10.0 * std::log10(BandEnergy(alone, blips[i], kAttackSeconds, kLowHz, kHighHz) /
                              BandEnergy(rest, blips[i], kAttackSeconds, kLowHz, kHighHz));
        std::printf("blip %2d at %.4f s, %+.1f dB over the rest in 0.5-4 kHz\n", i + 1, blips[i],
                    over);
        EXPECT_NEAR(blips[i], kFirst + i, kBlipTolerance) << "blip " << i + 1;
        EXPECT_GE(over, kLeastOverRestDb) << "blip " << i + 1 << " is lost in the music";
    }
}

// Between the first act and the end title, the tune is never away for long.
TEST(SoundtrackMix, MelodyIsNeverAwayLongerThanTwelveSeconds) {
    constexpr double kWindow = 0.05;
    std::set<std::string> melodic(std::begin(kMelodicInstruments), std::end(kMelodicInstruments));
    const std::vector<float> alone =
        RenderBytesWithLibmikmod(WithOnlyInstruments(ModuleBytes(), melodic));
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
    const std::vector<float>& render = ShowRender();
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

// While the address is typed the music keeps moving: something audible
// changes at least every eight seconds.
TEST(SoundtrackMix, TypingChangesEveryFewSeconds) {
    constexpr double kAudibleChangeDb = 3.0;
    constexpr double kLongestStill = 8.0;
    constexpr double kStep = 0.25;
    const Section& typing = FindSection("typing");
    double last = typing.start;
    double longest = 0.0;
    double longestFrom = last;
    for (double t = typing.start; t <= typing.end + 1e-9; t += kStep) {
        const bool changes = ChangeAt(ShowRender(), t) >= kAudibleChangeDb || t >= typing.end;
        if (changes) {
            if (t - last > longest) {
                longest = t - last;
                longestFrom = last;
            }
            last = t;
        }
    }
    std::printf("typing: longest stretch without a change of %.0f dB: %.2f s from %.2f s\n",
                kAudibleChangeDb, longest, longestFrom);
    EXPECT_LE(longest, kLongestStill) << "from " << longestFrom << " s";
}

} // namespace
