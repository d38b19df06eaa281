// The notation the song is written in, and how written phrases land in
// pattern cells: a mistake here would put wrong notes in the music.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "arrangement.h"
#include "notation.h"

namespace {

TEST(SoundtrackNotation, NoteNamesFollowTheTrackerScale) {
    EXPECT_EQ(ParseNoteName("C-0"), 1);
    EXPECT_EQ(ParseNoteName("C-4"), 49);
    EXPECT_EQ(ParseNoteName("C#4"), 50);
    EXPECT_EQ(ParseNoteName("A-4"), 58);
    EXPECT_EQ(ParseNoteName("B-7"), 96);
    EXPECT_EQ(ParseNoteName("==="), 97);
    for (const char* wrong : {"E#4", "B#2", "H-4", "C-8", "C4", "c-4", "C-4-", ""}) {
        EXPECT_THROW(ParseNoteName(wrong), std::runtime_error) << wrong;
    }
}

TEST(SoundtrackNotation, LanesGiveOneStepPerRow) {
    const std::vector<NoteStep> notes = ParseNoteLane("C-4 . |=== A-4v32|. ^E-4");
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_FALSE(notes[0].glide);
    EXPECT_EQ(notes[5].note, 53);
    EXPECT_TRUE(notes[5].glide);
    EXPECT_EQ(notes[0].note, 49);
    EXPECT_EQ(notes[0].volume, kNoVolume);
    EXPECT_EQ(notes[1].note, 0);
    EXPECT_EQ(notes[2].note, 97);
    EXPECT_EQ(notes[3].note, 58);
    EXPECT_EQ(notes[3].volume, 32);
    EXPECT_EQ(notes[4].note, 0);
    EXPECT_THROW(ParseNoteLane("C-4v65"), std::runtime_error);
    EXPECT_THROW(ParseNoteLane("===v10"), std::runtime_error);
    EXPECT_THROW(ParseNoteLane("^==="), std::runtime_error);

    const std::vector<DrumStep> drums = ParseDrumLane("x.4.|8..1");
    ASSERT_EQ(drums.size(), 8u);
    EXPECT_TRUE(drums[0].hit);
    EXPECT_EQ(drums[0].volume, kNoVolume);
    EXPECT_FALSE(drums[1].hit);
    EXPECT_EQ(drums[2].volume, 32);
    EXPECT_EQ(drums[4].volume, 64);
    EXPECT_EQ(drums[7].volume, 8);
    EXPECT_THROW(ParseDrumLane("x.9."), std::runtime_error);
    EXPECT_THROW(ParseDrumLane("x.o."), std::runtime_error);

    // Roots sit between A-2 and G#3.
    const std::vector<ChordStep> chords = ParseChordLane("Am . F# C#mv20 G#m ===");
    ASSERT_EQ(chords.size(), 6u);
    EXPECT_EQ(chords[0].root, ParseNoteName("A-2"));
    EXPECT_EQ(chords[0].shape, kMinorTriad);
    EXPECT_EQ(chords[1].root, 0);
    EXPECT_EQ(chords[2].root, ParseNoteName("F#3"));
    EXPECT_EQ(chords[2].shape, kMajorTriad);
    EXPECT_EQ(chords[3].root, ParseNoteName("C#3"));
    EXPECT_EQ(chords[3].shape, kMinorTriad);
    EXPECT_EQ(chords[3].volume, 20);
    EXPECT_EQ(chords[4].root, ParseNoteName("G#3"));
    EXPECT_EQ(chords[5].root, 97);
    // Sevenths (their fifth left out) and suspensions.
    const std::vector<ChordStep> colours = ParseChordLane("G7 Dm7 Fmaj7 Esus4 C#sus2v30");
    ASSERT_EQ(colours.size(), 5u);
    EXPECT_EQ(colours[0].root, ParseNoteName("G-3"));
    EXPECT_EQ(colours[0].shape, (ChordShape{0, 4, 10}));
    EXPECT_EQ(colours[1].shape, (ChordShape{0, 3, 10}));
    EXPECT_EQ(colours[2].shape, (ChordShape{0, 4, 11}));
    EXPECT_EQ(colours[3].shape, (ChordShape{0, 5, 7}));
    EXPECT_EQ(colours[4].shape, (ChordShape{0, 2, 7}));
    EXPECT_EQ(colours[4].volume, 30);
    for (const char* wrong : {"Hm", "Amaj", "A7m", "Bsus", "Cmaj9", "m7", "7"}) {
        EXPECT_THROW(ParseChordLane(wrong), std::runtime_error) << wrong;
    }
}

TEST(SoundtrackNotation, SequencesRepeatRestAndSetVolumes) {
    const std::vector<SequenceItem> items = ParseSequence("beat*3 fill@20 ~8 arp.Am*2@18");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].phrase, "beat");
    EXPECT_EQ(items[0].count, 3);
    EXPECT_EQ(items[0].volume, kNoVolume);
    EXPECT_EQ(items[1].phrase, "fill");
    EXPECT_EQ(items[1].count, 1);
    EXPECT_EQ(items[1].volume, 20);
    EXPECT_TRUE(items[2].phrase.empty());
    EXPECT_EQ(items[2].count, 8);
    EXPECT_EQ(items[3].phrase, "arp.Am");
    EXPECT_EQ(items[3].count, 2);
    EXPECT_EQ(items[3].volume, 18);
    for (const char* wrong : {"~0", "beat*x", "beat@65", "*2", "~"}) {
        EXPECT_THROW(ParseSequence(wrong), std::runtime_error) << wrong;
    }
}

const std::vector<uint8_t> kPannings = {0x30, 0x80, 0xD0};

Arrangement SmallArrangement(std::vector<PatternPlan> patterns) {
    Lane lead{"lead", LaneKind::Notes, 6, Voice::Lead};
    lead.expression = {0x0C, 1, 0x44, 2};
    lead.echo = {4, Voice::Answer, 1, 50};
    return {7,
            {{"kick", LaneKind::Drum, 0, Voice::Kick, ParseNoteName("C-4")},
             {"snare", LaneKind::Drum, 0, Voice::Snare, ParseNoteName("C-4")},
             lead,
             {"chords", LaneKind::Chords, 1, Voice::Pad, 0, kPannings},
             {"hat", LaneKind::Drum, 5, Voice::ClosedHat, ParseNoteName("C-4")},
             {"bell", LaneKind::Notes, 4, Voice::Blip}},
            {{"k", {{"kick", "x3"}}},
             {"s", {{"snare", "x."}}},
             {"tune", {{"lead", "C-5 ==="}}},
             {"sing", {{"lead", "C-5v40 . . ^E-5 . . . ==="}}},
             {"ch", {{"chords", "Am . F ."}}},
             {"shuffle", {{"hat", "x2x4"}}, Grid::Shuffle},
             {"ring", {{"bell", ". C-6"}}}},
            std::move(patterns)};
}

TEST(SoundtrackNotation, PhrasesLandInTheirCells) {
    const std::vector<XmPattern> patterns = ArrangePatterns(SmallArrangement(
        {{"one", 4, {"k*2@40", "ch"}}, {"two", 2, {"~2"}}, {"three", 12, {"ch*3", "shuffle*2"}}}));
    ASSERT_EQ(patterns.size(), 3u);
    const auto cell = [&](int pattern, int row, int channel) {
        return patterns[pattern].cells[size_t(row) * 7 + channel];
    };
    const uint8_t kick = InstrumentNumber(Voice::Kick);
    const uint8_t pad = InstrumentNumber(Voice::Pad);
    const uint8_t hat = InstrumentNumber(Voice::ClosedHat);
    // A track volume fills in only where a step names none.
    EXPECT_TRUE((cell(0, 0, 0) == XmCell{49, kick, 0x10 + 40, 0, 0}));
    EXPECT_TRUE((cell(0, 1, 0) == XmCell{49, kick, 0x10 + 24, 0, 0}));
    EXPECT_TRUE((cell(0, 2, 0) == XmCell{49, kick, 0x10 + 40, 0, 0}));
    // A chord is three notes on three channels, each panned its way (8xx):
    // A minor in first inversion next to middle C, then F in second
    // inversion, keeping the common tones C and A where they were.
    const uint8_t c4 = ParseNoteName("C-4");
    const uint8_t e4 = ParseNoteName("E-4");
    const uint8_t f4 = ParseNoteName("F-4");
    const uint8_t a4 = ParseNoteName("A-4");
    EXPECT_TRUE((cell(0, 0, 1) == XmCell{c4, pad, 0, 0x8, 0x30}));
    EXPECT_TRUE((cell(0, 0, 2) == XmCell{e4, pad, 0, 0x8, 0x80}));
    EXPECT_TRUE((cell(0, 0, 3) == XmCell{a4, pad, 0, 0x8, 0xD0}));
    EXPECT_TRUE((cell(0, 2, 1) == XmCell{c4, pad, 0, 0x8, 0x30}));
    EXPECT_TRUE((cell(0, 2, 2) == XmCell{f4, pad, 0, 0x8, 0x80}));
    EXPECT_TRUE((cell(0, 2, 3) == XmCell{a4, pad, 0, 0x8, 0xD0}));
    EXPECT_TRUE(IsEmpty(cell(0, 1, 1)) && IsEmpty(cell(0, 3, 3)));
    for (const XmCell& rest : patterns[1].cells) {
        EXPECT_TRUE(IsEmpty(rest));
    }
    // ...and the voicing carries on across patterns.
    EXPECT_TRUE((cell(2, 0, 2) == XmCell{e4, pad, 0, 0x8, 0x80}));
    // Shuffled sixteenths fall on rows 0, 2, 3 and 5 of a six-row beat.
    EXPECT_EQ(cell(2, 0, 5).instrument, hat);
    EXPECT_EQ(cell(2, 2, 5).volume, 0x10 + 16);
    EXPECT_EQ(cell(2, 3, 5).instrument, hat);
    EXPECT_EQ(cell(2, 5, 5).volume, 0x10 + 32);
    EXPECT_EQ(cell(2, 6, 5).instrument, hat);
    EXPECT_TRUE(IsEmpty(cell(2, 1, 5)) && IsEmpty(cell(2, 4, 5)));
}

TEST(SoundtrackNotation, TheLeadGlidesSingsAndEchoes) {
    const std::vector<XmPattern> patterns =
        ArrangePatterns(SmallArrangement({{"one", 4, {"~4"}}, {"two", 8, {"sing"}}}));
    const auto cell = [&](int pattern, int row, int channel) {
        return patterns[pattern].cells[size_t(row) * 7 + channel];
    };
    const uint8_t lead = InstrumentNumber(Voice::Lead);
    const uint8_t answer = InstrumentNumber(Voice::Answer);
    const uint8_t c5 = ParseNoteName("C-5");
    const uint8_t e5 = ParseNoteName("E-5");
    EXPECT_TRUE((cell(1, 0, 6) == XmCell{c5, lead, 0x10 + 40, 0, 0}));
    EXPECT_TRUE(IsEmpty(cell(1, 1, 6)));
    EXPECT_TRUE((cell(1, 2, 6) == XmCell{0, 0, 0, 0x4, 0x44})) << "vibrato once held";
    EXPECT_TRUE((cell(1, 3, 6) == XmCell{e5, 0, 0, 0x3, 0x0C})) << "a glide strikes no note";
    EXPECT_TRUE((cell(1, 4, 6) == XmCell{0, 0, 0, 0x3, 0x0C})) << "the glide carries on";
    EXPECT_TRUE((cell(1, 5, 6) == XmCell{0, 0, 0, 0x4, 0x44}));
    EXPECT_TRUE((cell(1, 6, 6) == XmCell{0, 0, 0, 0x4, 0x44}));
    EXPECT_TRUE((cell(1, 7, 6) == XmCell{97, 0, 0, 0, 0}));
    // The echo: a row later, on its own channel and instrument, at half volume.
    EXPECT_TRUE((cell(1, 1, 4) == XmCell{c5, answer, 0x10 + 20, 0, 0}));
    EXPECT_TRUE((cell(1, 3, 4) == XmCell{0, 0, 0, 0x4, 0x44}));
    EXPECT_TRUE((cell(1, 4, 4) == XmCell{e5, 0, 0, 0x3, 0x0C}));
}

TEST(SoundtrackNotation, ChordsAreVoicedCloseToTheLastOne) {
    std::vector<uint8_t> voicing;
    // Am F C G Am, then Dm7 G7 Cmaj7 Esus4 E: every chord three notes of
    // its own, the voices moving by at most a few semitones, inside the
    // range the pad plays in.
    const int roots[] = {9, 5, 0, 7, 9, 2, 7, 0, 4, 4};
    const ChordShape shapes[] = {kMinorTriad, kMajorTriad, kMajorTriad, kMajorTriad, kMinorTriad,
                                 {0, 3, 10},  {0, 4, 10},  {0, 4, 11},  {0, 5, 7},   kMajorTriad};
    for (int i = 0; i < 10; ++i) {
        const std::vector<uint8_t> next = VoiceChord(roots[i], shapes[i], voicing);
        ASSERT_EQ(next.size(), 3u);
        std::vector<int> pitchClasses;
        for (uint8_t note : next) {
            pitchClasses.push_back((note - 1) % 12);
            EXPECT_GE(note, ParseNoteName("F-3"));
            EXPECT_LE(note, ParseNoteName("G-5"));
        }
        for (int tone : shapes[i]) {
            const int wanted = (roots[i] + tone) % 12;
            EXPECT_EQ(std::count(pitchClasses.begin(), pitchClasses.end(), wanted), 1)
                << "chord " << i;
        }
        for (size_t v = 0; v < voicing.size(); ++v) {
            EXPECT_LE(std::abs(int(next[v]) - int(voicing[v])), 4) << "chord " << i;
        }
        voicing = next;
    }
}

TEST(SoundtrackNotation, MistakesInTheSongAreRefused) {
    const std::vector<PatternPlan> wrong[] = {
        {{"short", 4, {"k"}}},           // fills 2 of 4 rows
        {{"long", 4, {"k*3"}}},          // runs past the end
        {{"meet", 2, {"k", "s"}}},       // kick and snare share channel 0
        {{"unknown", 2, {"nothing"}}},   // no such phrase
        {{"echo", 2, {"tune", "ring"}}}, // the lead's echo meets the bell
    };
    for (const std::vector<PatternPlan>& plans : wrong) {
        EXPECT_THROW(ArrangePatterns(SmallArrangement(plans)), std::runtime_error) << plans[0].name;
    }
}

} // namespace
