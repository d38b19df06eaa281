// The generated demo.xm, read back by the tests' own reader and compared with
// what the generator meant to write; then checked for the rules every player
// needs, for the pitch of its instruments and for the show's timeline.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "show/timeline.h"
#include "song.h"
#include "xm_module.h"
#include "xm_reader.h"
#include "xm_writer.h"

namespace {

constexpr size_t kMaxFileBytes = 1 << 20;
constexpr uint32_t kSongHeaderSize = 276;
constexpr uint32_t kPatternHeaderLength = 9;
constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr uint32_t kSampleHeaderSize = 40;
constexpr uint8_t kEnvelopeOn = 1;
constexpr uint8_t kEnvelopeSustain = 2;
constexpr uint8_t kEnvelopeLoop = 4;
constexpr uint8_t kLoopBits = 3;
constexpr uint8_t kSixteenBit = 0x10;
constexpr uint8_t kModPlugCompressed = 0xAD;
constexpr uint8_t kKeyOffNote = 97;
constexpr double kMiddleCHz = 261.6255653005986;
constexpr double kCentsTolerance = 5.0;
constexpr double kSecondsPerTickAtOneBpm = 2.5;
constexpr double kPi = 3.14159265358979323846;
constexpr size_t kUnrolledFrames = 1 << 15;

const std::vector<uint8_t>& FileBytes() {
    static const std::vector<uint8_t> bytes = ReadWholeFile(SOUNDTRACK_XM_PATH);
    return bytes;
}

const ParsedModule& File() {
    static const ParsedModule module = ParseXm(FileBytes());
    return module;
}

const XmModule& Song() {
    static const XmModule song = BuildSong();
    return song;
}

// FastTracker II's packing, counted from the cell: five bytes when every field
// is there, otherwise a mask byte and the fields present.
int PackedBytes(const XmCell& cell) {
    const int present = (cell.note != 0) + (cell.instrument != 0) + (cell.volume != 0) +
                        (cell.effect != 0) + (cell.parameter != 0);
    return present == 5 ? 5 : 1 + present;
}

const ParsedInstrument* FindInstrument(const std::string& name) {
    for (const ParsedInstrument& instrument : File().instruments) {
        if (instrument.name == name) {
            return &instrument;
        }
    }
    return nullptr;
}

// Linear frequency table: frames per second read for a note.
double PlaybackRate(int note, int relativeNote, int finetune) {
    const int n = note - 1 + relativeNote;
    const double period = 7680.0 - 64.0 * n - finetune / 2.0;
    return 8363.0 * std::pow(2.0, (4608.0 - period) / 768.0);
}

constexpr int kNoteC4 = 49;

double Cents(double measured, double wanted) {
    return 1200.0 * std::log2(measured / wanted);
}

// A looped sample as a player reads it: the loop repeated after the start.
std::vector<int16_t> Unrolled(const ParsedSample& sample) {
    std::vector<int16_t> frames = sample.frames;
    const size_t loopStart = sample.loopStartBytes / 2;
    const size_t loopEnd = loopStart + sample.loopLengthBytes / 2;
    if (sample.loopLengthBytes == 0) {
        return frames;
    }
    frames.resize(loopEnd);
    while (frames.size() < kUnrolledFrames) {
        frames.insert(frames.end(), sample.frames.begin() + loopStart,
                      sample.frames.begin() + loopEnd);
    }
    return frames;
}

double Correlation(const std::vector<int16_t>& x, int window, int lag) {
    double product = 0.0;
    double a = 0.0;
    double b = 0.0;
    for (int i = 0; i < window; ++i) {
        const double shifted = x[i + lag];
        product += x[i] * shifted;
        a += double(x[i]) * x[i];
        b += shifted * shifted;
    }
    return product / std::sqrt(a * b + 1e-9);
}

// Peak position of the correlation near `lag`, between whole lags.
double RefinedLag(const std::vector<int16_t>& frames, int window, int lag, double peak) {
    const double left = Correlation(frames, window, lag - 1);
    const double right = Correlation(frames, window, lag + 1);
    return lag + 0.5 * (left - right) / (left - 2.0 * peak + right);
}

// Period in frames of a tone expected near `expectedLag`: first the best
// single-period lag within a fifth either way (an octave or semitone slip
// lands away from the expected value), then refined over several periods.
double MeasurePeriod(const std::vector<int16_t>& frames, double expectedLag, double& match) {
    constexpr double kLowest = 0.7;
    constexpr double kHighest = 1.45;
    constexpr double kRefineSpan = 512.0;
    constexpr int kRefineSlack = 8; // a fraction of a period, over `multiple` periods
    const int multiple = std::max(1, int(std::lround(kRefineSpan / expectedLag)));
    const int longestLag = int(expectedLag * std::max(kHighest, multiple + 1.0)) + 2;
    const int window = std::min(int(frames.size()) - longestLag, 8192);
    int best = 0;
    match = -1.0;
    for (int lag = int(expectedLag * kLowest); lag <= int(expectedLag * kHighest); ++lag) {
        const double r = Correlation(frames, window, lag);
        if (r > match) {
            match = r;
            best = lag;
        }
    }
    const double coarse = RefinedLag(frames, window, best, match);
    const int centre = int(std::lround(coarse * multiple));
    const int slack = std::max(2, multiple / kRefineSlack);
    double peak = -2.0;
    int around = centre;
    for (int lag = centre - slack; lag <= centre + slack; ++lag) {
        const double r = Correlation(frames, window, lag);
        if (r > peak) {
            peak = r;
            around = lag;
        }
    }
    return RefinedLag(frames, window, around, peak) / multiple;
}

// Energy of a looped sample at a whole number of cycles per loop, with the
// neighbouring bins where detuned copies sit.
double LoopEnergyNear(const std::vector<int16_t>& loop, int cycles) {
    double energy = 0.0;
    for (int bin = cycles - 1; bin <= cycles + 1; ++bin) {
        double re = 0.0;
        double im = 0.0;
        const double step = 2.0 * kPi * bin / loop.size();
        for (size_t i = 0; i < loop.size(); ++i) {
            re += loop[i] * std::cos(step * i);
            im += loop[i] * std::sin(step * i);
        }
        energy += re * re + im * im;
    }
    return energy;
}

// The effects the song may use: each one is played by the three players
// from a one-feature module in soundtrack_effects_test.cpp, with the same
// parameter, and found to sound alike there.
bool VerifiedEffect(uint8_t effect, uint8_t parameter) {
    constexpr uint8_t kTonePortamento = 0x3;
    constexpr uint8_t kGlideSpeed = 0x0C;
    constexpr uint8_t kVibrato = 0x4;
    constexpr uint8_t kLeadVibrato = 0x43;
    constexpr uint8_t kSetPanning = 0x8;
    return (effect == 0 && parameter == 0) ||
           (effect == kTonePortamento && parameter == kGlideSpeed) ||
           (effect == kVibrato && parameter == kLeadVibrato) || effect == kSetPanning;
}

// The volume column only sets a note's volume (its velocity), checked
// like the effects.
bool VerifiedVolumeColumn(uint8_t volume) {
    return volume == 0 || (volume >= 0x10 && volume <= 0x50);
}

// Tempo changes, jumps, breaks and pattern delays.
bool ChangesTiming(uint8_t effect, uint8_t parameter) {
    return effect == 0xF || effect == 0xB || effect == 0xD ||
           (effect == 0xE && (parameter >> 4) == 0xE);
}

TEST(SoundtrackFile, HeaderDescribesTheSong) {
    const ParsedModule& file = File();
    const XmModule& song = Song();
    EXPECT_EQ(file.idText, "Extended Module: ");
    EXPECT_EQ(file.name, song.name);
    EXPECT_EQ(file.marker, 0x1A);
    EXPECT_EQ(file.trackerName, song.trackerName);
    EXPECT_EQ(file.version, 0x0104);
    EXPECT_EQ(file.headerSize, kSongHeaderSize);
    EXPECT_EQ(file.songLength, song.orders.size());
    EXPECT_EQ(file.restartPosition, 0);
    EXPECT_EQ(file.channels, song.channels);
    EXPECT_EQ(file.channels % 2, 0);
    EXPECT_EQ(file.patternCount, song.patterns.size());
    EXPECT_EQ(file.instrumentCount, song.instruments.size());
    EXPECT_EQ(file.flags, 1) << "linear frequency table";
    EXPECT_EQ(file.speed, song.speed);
    EXPECT_EQ(file.bpm, song.bpm);
    for (size_t i = 0; i < file.orders.size(); ++i) {
        const int wanted = i < song.orders.size() ? song.orders[i] : 0;
        EXPECT_EQ(file.orders[i], wanted) << "order " << i;
        if (i < song.orders.size()) {
            EXPECT_LT(file.orders[i], file.patternCount) << "order " << i;
        }
    }
}

TEST(SoundtrackFile, PatternsHoldTheWrittenNotes) {
    const ParsedModule& file = File();
    const XmModule& song = Song();
    ASSERT_EQ(file.patterns.size(), song.patterns.size());
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const ParsedPattern& read = file.patterns[p];
        const XmPattern& meant = song.patterns[p];
        SCOPED_TRACE("pattern " + std::to_string(p));
        EXPECT_EQ(read.headerLength, kPatternHeaderLength);
        EXPECT_EQ(read.packingType, 0);
        EXPECT_EQ(read.rows, meant.rows);
        ASSERT_EQ(read.cells.size(), size_t(meant.rows) * song.channels);
        int packed = 0;
        for (size_t c = 0; c < meant.cells.size(); ++c) {
            const XmCell& want = meant.cells[c];
            const ParsedCell& got = read.cells[c];
            packed += PackedBytes(want);
            const std::string where = "row " + std::to_string(c / song.channels) + " channel " +
                                      std::to_string(c % song.channels);
            EXPECT_EQ(got.note, want.note) << where;
            EXPECT_EQ(got.instrument, want.instrument) << where;
            EXPECT_EQ(got.volume, want.volume) << where;
            EXPECT_EQ(got.effect, want.effect) << where;
            EXPECT_EQ(got.parameter, want.parameter) << where;
        }
        EXPECT_EQ(read.packedSize, packed);
    }
}

TEST(SoundtrackFile, InstrumentsAndSamplesAreWrittenInFull) {
    const ParsedModule& file = File();
    const XmModule& song = Song();
    ASSERT_EQ(file.instruments.size(), song.instruments.size());
    for (size_t i = 0; i < song.instruments.size(); ++i) {
        const ParsedInstrument& read = file.instruments[i];
        const XmInstrument& meant = song.instruments[i];
        SCOPED_TRACE("instrument " + meant.name);
        EXPECT_EQ(read.headerSize, kInstrumentHeaderSize);
        EXPECT_EQ(read.name, meant.name);
        EXPECT_EQ(read.type, 0);
        ASSERT_EQ(read.sampleCount, 1);
        EXPECT_EQ(read.sampleHeaderSize, kSampleHeaderSize);
        for (uint8_t entry : read.noteMap) {
            EXPECT_EQ(entry, 0);
        }
        const std::vector<XmEnvelopePoint>& points = meant.volumeEnvelope.points;
        ASSERT_EQ(read.volumePointCount, points.size());
        for (size_t k = 0; k < points.size(); ++k) {
            EXPECT_EQ(read.volumePoints[k].x, points[k].tick);
            EXPECT_EQ(read.volumePoints[k].y, points[k].level);
        }
        const bool sustained = meant.volumeEnvelope.sustainPoint >= 0;
        const uint8_t flags =
            points.empty() ? 0 : uint8_t(kEnvelopeOn | (sustained ? kEnvelopeSustain : 0));
        EXPECT_EQ(read.volumeFlags, flags);
        if (sustained) {
            EXPECT_EQ(read.volumeSustain, meant.volumeEnvelope.sustainPoint);
        }
        EXPECT_EQ(read.panningFlags, 0);
        EXPECT_EQ(read.panningPointCount, 0);
        EXPECT_EQ(read.vibratoDepth, 0);
        EXPECT_EQ(read.fadeout, meant.fadeout);

        const ParsedSample& sample = read.samples[0];
        const XmSample& want = meant.sample;
        EXPECT_EQ(sample.lengthBytes, 2 * want.frames.size());
        EXPECT_EQ(sample.loopStartBytes, 2 * want.loopStart);
        EXPECT_EQ(sample.loopLengthBytes, 2 * want.loopLength);
        EXPECT_EQ(sample.volume, want.volume);
        EXPECT_EQ(sample.finetune, want.finetune);
        EXPECT_EQ(sample.type, kSixteenBit | (want.loopLength > 0 ? 1 : 0));
        EXPECT_EQ(sample.panning, want.panning);
        EXPECT_EQ(sample.relativeNote, want.relativeNote);
        EXPECT_EQ(sample.reserved, 0);
        EXPECT_EQ(sample.name, want.name);
        EXPECT_TRUE(sample.frames == want.frames) << "delta-decoded data differs";
    }
}

TEST(SoundtrackFile, IsTheGeneratorsOutputSmallAndComplete) {
    const std::vector<uint8_t>& bytes = FileBytes();
    EXPECT_LT(bytes.size(), kMaxFileBytes);
    EXPECT_EQ(File().endOffset, bytes.size()) << "bytes left after the last sample";
    const std::vector<uint8_t> again = WriteXm(BuildSong());
    EXPECT_TRUE(again == bytes) << "the file is stale, or the generator is not deterministic";
    EXPECT_TRUE(WriteXm(BuildSong()) == again);
}

TEST(SoundtrackFile, UsesOnlyWhatEveryPlayerPlaysAlike) {
    const ParsedModule& file = File();
    for (const ParsedInstrument& instrument : file.instruments) {
        SCOPED_TRACE("instrument " + instrument.name);
        EXPECT_FALSE((instrument.volumeFlags & kEnvelopeSustain) &&
                     (instrument.volumeFlags & kEnvelopeLoop))
            << "sustain and loop on one envelope";
        if (instrument.volumeFlags & kEnvelopeOn) {
            ASSERT_GE(instrument.volumePointCount, 1);
            ASSERT_LE(instrument.volumePointCount, 12);
            EXPECT_EQ(instrument.volumePoints[0].x, 0);
            for (int k = 0; k < instrument.volumePointCount; ++k) {
                EXPECT_LE(instrument.volumePoints[k].y, 64);
                if (k > 0) {
                    EXPECT_GT(instrument.volumePoints[k].x, instrument.volumePoints[k - 1].x);
                }
            }
            EXPECT_LT(instrument.volumeSustain, instrument.volumePointCount);
        }
        for (const ParsedSample& sample : instrument.samples) {
            EXPECT_NE(sample.type & kLoopBits, kLoopBits);
            EXPECT_NE(sample.reserved, kModPlugCompressed);
            EXPECT_LE(sample.loopStartBytes + sample.loopLengthBytes, sample.lengthBytes);
            if (sample.type & kSixteenBit) {
                EXPECT_EQ(sample.lengthBytes % 2, 0u);
                EXPECT_EQ(sample.loopStartBytes % 2, 0u);
                EXPECT_EQ(sample.loopLengthBytes % 2, 0u);
            }
            EXPECT_LE(sample.volume, 64);
        }
    }
    for (size_t p = 0; p < file.patterns.size(); ++p) {
        const ParsedPattern& pattern = file.patterns[p];
        std::vector<int> lastInstrument(file.channels, 0);
        for (size_t c = 0; c < pattern.cells.size(); ++c) {
            const ParsedCell& cell = pattern.cells[c];
            const std::string where = "pattern " + std::to_string(p) + " row " +
                                      std::to_string(c / file.channels) + " channel " +
                                      std::to_string(c % file.channels);
            EXPECT_LE(cell.note, kKeyOffNote) << where;
            EXPECT_TRUE(VerifiedEffect(cell.effect, cell.parameter)) << where;
            EXPECT_TRUE(VerifiedVolumeColumn(cell.volume)) << where;
            if (cell.instrument != 0) {
                ASSERT_LE(cell.instrument, file.instruments.size()) << where;
                EXPECT_GT(file.instruments[cell.instrument - 1].sampleCount, 0) << where;
                lastInstrument[c % file.channels] = cell.instrument;
            }
            if (cell.note >= 1 && cell.note < kKeyOffNote) {
                const int instrument = lastInstrument[c % file.channels];
                ASSERT_NE(instrument, 0) << where << ": a note with no instrument";
                // Stays well inside the frequency table.
                const int n =
                    cell.note - 1 + file.instruments[instrument - 1].samples[0].relativeNote;
                EXPECT_GE(n, 12) << where;
                EXPECT_LE(n, 107) << where;
            }
        }
    }
}

TEST(SoundtrackFile, PitchedInstrumentsSoundTheirNotes) {
    for (const char* name : {"bass", "lead", "arp", "blip", "answer"}) {
        SCOPED_TRACE(name);
        const ParsedInstrument* instrument = FindInstrument(name);
        ASSERT_NE(instrument, nullptr);
        const ParsedSample& sample = instrument->samples[0];
        const double rate = PlaybackRate(kNoteC4, sample.relativeNote, sample.finetune);
        double match = 0.0;
        const double period = MeasurePeriod(Unrolled(sample), rate / kMiddleCHz, match);
        EXPECT_GT(match, 0.9) << "no clear period";
        EXPECT_NEAR(Cents(rate / period, kMiddleCHz), 0.0, kCentsTolerance);
    }
    // The pad holds a single note, no chord: each chord tone is a note of its
    // own, so chords are equal-tempered like the lead and the arpeggio. Its
    // detuned copies blur a period measurement; its loop holds a whole number
    // of root cycles at middle C instead, and nothing at a third above.
    const ParsedInstrument* pad = FindInstrument("pad");
    ASSERT_NE(pad, nullptr);
    const ParsedSample& sample = pad->samples[0];
    ASSERT_GT(sample.loopLengthBytes, 0u);
    const std::vector<int16_t> loop(sample.frames.begin() + sample.loopStartBytes / 2,
                                    sample.frames.begin() +
                                        (sample.loopStartBytes + sample.loopLengthBytes) / 2);
    const double rate = PlaybackRate(kNoteC4, sample.relativeNote, sample.finetune);
    const double rootCycles = kMiddleCHz / rate * loop.size();
    ASSERT_NEAR(rootCycles, std::round(rootCycles), 0.05) << "the loop holds no whole root";
    const int root = int(std::lround(rootCycles));
    const double rootEnergy = LoopEnergyNear(loop, root);
    EXPECT_GT(rootEnergy, 1000.0 * LoopEnergyNear(loop, int(std::lround(root * 5.0 / 4.0))));
    EXPECT_GT(rootEnergy, 1000.0 * LoopEnergyNear(loop, int(std::lround(root * 6.0 / 5.0))));
}

// The music turns with the show's acts (the act table in show/timeline.h).
TEST(SoundtrackFile, FollowsTheShowsActs) {
    const ParsedModule& file = File();
    const double rowSeconds = file.speed * kSecondsPerTickAtOneBpm / file.bpm;
    std::vector<double> orderStarts;
    double clock = 0.0;
    for (int i = 0; i < file.songLength; ++i) {
        orderStarts.push_back(clock);
        clock += file.patterns[file.orders[i]].rows * rowSeconds;
    }
    EXPECT_GE(clock, kShowEnd - 2); // the song may end a little before the show
    EXPECT_LE(clock, kShowEnd + 3);
    for (const ActRow& act : kActs) {
        bool found = false;
        for (double start : orderStarts) {
            found = found || std::fabs(start - act.start) < rowSeconds;
        }
        EXPECT_TRUE(found) << "nothing starts with the " << act.name << " at " << act.start << " s";
    }

    // One blip per glyph while the address is typed, as each glyph appears
    // (struck on two channels at once, it is still one blip).
    const ParsedInstrument* blip = FindInstrument("blip");
    ASSERT_NE(blip, nullptr);
    const int blipNumber = int(blip - file.instruments.data()) + 1;
    std::vector<double> blips;
    for (int i = 0; i < file.songLength; ++i) {
        const ParsedPattern& pattern = file.patterns[file.orders[i]];
        for (size_t c = 0; c < pattern.cells.size(); ++c) {
            const ParsedCell& cell = pattern.cells[c];
            EXPECT_FALSE(ChangesTiming(cell.effect, cell.parameter))
                << "the timing below assumes none";
            const double time = orderStarts[i] + int(c / file.channels) * rowSeconds;
            if (cell.instrument == blipNumber && cell.note < kKeyOffNote &&
                time > ActStart(kAddressAct) && time < ActStart(kSpiralAct) &&
                (blips.empty() || blips.back() != time)) {
                blips.push_back(time);
            }
        }
    }
    ASSERT_EQ(blips.size(), 14u);
    for (size_t i = 0; i < blips.size(); ++i) {
        EXPECT_NEAR(blips[i], GlyphTyped(static_cast<int>(i)), rowSeconds / 2);
    }
}

} // namespace
