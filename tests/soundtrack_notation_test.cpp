// The notation the song is written in, and how written phrases land in
// pattern cells: a mistake here would put wrong notes in the music.
#include <gtest/gtest.h>

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
    const std::vector<NoteStep> notes = ParseNoteLane("C-4 . |=== A-4v32|.");
    ASSERT_EQ(notes.size(), 5u);
    EXPECT_EQ(notes[0].note, 49);
    EXPECT_EQ(notes[0].volume, kNoVolume);
    EXPECT_EQ(notes[1].note, 0);
    EXPECT_EQ(notes[2].note, 97);
    EXPECT_EQ(notes[3].note, 58);
    EXPECT_EQ(notes[3].volume, 32);
    EXPECT_EQ(notes[4].note, 0);
    EXPECT_THROW(ParseNoteLane("C-4v65"), std::runtime_error);
    EXPECT_THROW(ParseNoteLane("===v10"), std::runtime_error);

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
    EXPECT_TRUE(chords[0].minor);
    EXPECT_EQ(chords[1].root, 0);
    EXPECT_EQ(chords[2].root, ParseNoteName("F#3"));
    EXPECT_FALSE(chords[2].minor);
    EXPECT_EQ(chords[3].root, ParseNoteName("C#3"));
    EXPECT_TRUE(chords[3].minor);
    EXPECT_EQ(chords[3].volume, 20);
    EXPECT_EQ(chords[4].root, ParseNoteName("G#3"));
    EXPECT_EQ(chords[5].root, 97);
    EXPECT_THROW(ParseChordLane("Hm"), std::runtime_error);
    EXPECT_THROW(ParseChordLane("Amaj"), std::runtime_error);
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

Arrangement SmallArrangement(std::vector<PatternPlan> patterns) {
    return {3,
            {{"kick", LaneKind::Drum, 0, Voice::Kick, ParseNoteName("C-4")},
             {"lead", LaneKind::Notes, 0, Voice::Lead},
             {"chords", LaneKind::Chords, 1, Voice::PadMajor, 0, 2, Voice::PadMinor}},
            {{"k", {{"kick", "x3"}}},
             {"tune", {{"lead", "C-5 ==="}}},
             {"ch", {{"chords", "Am . F ."}}}},
            std::move(patterns)};
}

TEST(SoundtrackNotation, PhrasesLandInTheirCells) {
    const std::vector<XmPattern> patterns = ArrangePatterns(
        SmallArrangement({{"one", 4, {"k*2@40", "ch"}}, {"two", 2, {"~2"}}, {"three", 4, {"ch"}}}));
    ASSERT_EQ(patterns.size(), 3u);
    const auto cell = [&](int pattern, int row, int channel) {
        return patterns[pattern].cells[size_t(row) * 3 + channel];
    };
    const uint8_t kick = InstrumentNumber(Voice::Kick);
    const uint8_t major = InstrumentNumber(Voice::PadMajor);
    const uint8_t minor = InstrumentNumber(Voice::PadMinor);
    // A track volume fills in only where a step names none.
    EXPECT_TRUE((cell(0, 0, 0) == XmCell{49, kick, 0x10 + 40, 0, 0}));
    EXPECT_TRUE((cell(0, 1, 0) == XmCell{49, kick, 0x10 + 24, 0, 0}));
    EXPECT_TRUE((cell(0, 2, 0) == XmCell{49, kick, 0x10 + 40, 0, 0}));
    // Chords take turns on the two channels; the other one is released.
    EXPECT_TRUE((cell(0, 0, 1) == XmCell{ParseNoteName("A-2"), minor, 0, 0, 0}));
    EXPECT_TRUE((cell(0, 0, 2) == XmCell{97, 0, 0, 0, 0}));
    EXPECT_TRUE((cell(0, 2, 2) == XmCell{ParseNoteName("F-3"), major, 0, 0, 0}));
    EXPECT_TRUE((cell(0, 2, 1) == XmCell{97, 0, 0, 0, 0}));
    EXPECT_TRUE(IsEmpty(cell(0, 1, 1)) && IsEmpty(cell(0, 3, 2)));
    for (const XmCell& rest : patterns[1].cells) {
        EXPECT_TRUE(IsEmpty(rest));
    }
    // ...and keep taking turns across patterns.
    EXPECT_TRUE((cell(2, 0, 1) == XmCell{ParseNoteName("A-2"), minor, 0, 0, 0}));
}

TEST(SoundtrackNotation, MistakesInTheSongAreRefused) {
    const std::vector<PatternPlan> wrong[] = {
        {{"short", 4, {"k"}}},         // fills 2 of 4 rows
        {{"long", 4, {"k*3"}}},        // runs past the end
        {{"meet", 2, {"k", "tune"}}},  // kick and lead share channel 0
        {{"unknown", 2, {"nothing"}}}, // no such phrase
    };
    for (const std::vector<PatternPlan>& plans : wrong) {
        EXPECT_THROW(ArrangePatterns(SmallArrangement(plans)), std::runtime_error) << plans[0].name;
    }
}

} // namespace
