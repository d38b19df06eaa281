#include "song.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "arrangement.h"
#include "instruments.h"
#include "notation.h"
#include "show/timeline.h"

namespace {

// Speed 5 and the module's tempo field ("BPM") 150, which sets the tick, not
// the beat: a tick is 2.5 / 150 s = 1/60 s, exactly 735 samples at 44.1 kHz,
// and a row of five ticks lasts 1/12 s. Twelve rows make a second, six a beat
// (120 beats a minute) and twenty-four a bar of two seconds, so every act and
// every typed glyph falls on a row.
constexpr int kSpeed = 5;
constexpr int kBpm = 150;

enum Channel {
    kKickCh,
    kSnareCh,
    kHatCh,
    kTomCh,
    kCrashCh,
    kBlipCh,
    kBassCh,
    kPadCh, // three channels: one per chord tone
    kPad2Ch,
    kPad3Ch,
    kArpCh,
    kLeadCh,
    kAnswerCh,
    kRiserCh,
    kClapCh,
    kCounterCh,
    kChannels
};

// Chord tones spread left, centre and right (8xx).
const std::vector<uint8_t> kPadPannings = {0x30, 0x80, 0xD0};

// The lead: a quick glide into "^" notes, then vibrato on notes held for a
// beat. Its echo answers an eighth later, softer, from the right.
constexpr Expression kLeadExpression = {0x0C, 3, 0x43, 6};
constexpr Echo kLeadEcho = {kAnswerCh, Voice::Answer, 3, 40};

// clang-format off
// Which channel each lane plays on; lanes sharing a channel must not meet.
const std::vector<Lane> kLanes = {
    // name     kind              channel    voice              drum note
    {"kick",   LaneKind::Drum,   kKickCh,   Voice::Kick,       ParseNoteName("C-4")},
    {"snare",  LaneKind::Drum,   kSnareCh,  Voice::Snare,      ParseNoteName("C-4")},
    {"hat",    LaneKind::Drum,   kHatCh,    Voice::ClosedHat,  ParseNoteName("C-4")},
    {"open",   LaneKind::Drum,   kHatCh,    Voice::OpenHat,    ParseNoteName("C-4")},
    {"tom",    LaneKind::Notes,  kTomCh,    Voice::Tom},
    {"crash",  LaneKind::Drum,   kCrashCh,  Voice::Crash,      ParseNoteName("C-4")},
    {"riser",  LaneKind::Drum,   kRiserCh,  Voice::Riser,      ParseNoteName("C-4")},
    {"blip",   LaneKind::Notes,  kBlipCh,   Voice::Blip},
    {"bass",   LaneKind::Notes,  kBassCh,   Voice::Bass},
    {"chords", LaneKind::Chords, kPadCh,    Voice::Pad,        0, kPadPannings},
    {"arp",    LaneKind::Notes,  kArpCh,    Voice::Arp},
    {"lead",   LaneKind::Notes,  kLeadCh,   Voice::Lead,       0, {}, kLeadExpression, kLeadEcho},
    {"answer", LaneKind::Notes,  kAnswerCh, Voice::Answer},
    {"clap",   LaneKind::Drum,   kClapCh,   Voice::Clap,       ParseNoteName("C-4")},
    // The typed glyphs' blip struck twice at once, so it rings over the music;
    // the clap's channel is free until the spiral.
    {"ring",   LaneKind::Notes,  kClapCh,   Voice::Blip},
    {"counter", LaneKind::Notes, kCounterCh, Voice::Answer},
    // The climax's chords plucked on the offbeats, on the pad's channels, so
    // each beat's kick has the low middle to itself.
    {"stabs",  LaneKind::Chords, kPadCh,    Voice::Arp,        0, kPadPannings},
    // The spiral's lead doubled an octave up; the blips rest there.
    {"double", LaneKind::Notes,  kBlipCh,   Voice::Answer},
};
// clang-format on

// Phrase text from a template: each letter of `keys` in the template, as a
// whole token, becomes the note at the same place in `notes`.
std::string Fill(const std::string& pattern, const std::string& keys,
                 const std::vector<std::string>& notes) {
    std::string out;
    for (char c : pattern) {
        const size_t at = keys.find(c);
        out += at == std::string::npos ? std::string(1, c) : notes[at];
    }
    return out;
}

// A melody with `change` made to each of its space-separated tokens.
template <typename Change> std::string EachToken(const std::string& melody, Change change) {
    std::string out;
    size_t at = 0;
    while (at < melody.size()) {
        const size_t end = std::min(melody.find(' ', at), melody.size());
        std::string token = melody.substr(at, end - at);
        change(token);
        out += token + (end < melody.size() ? " " : "");
        at = end + 1;
    }
    return out;
}

// "C-4" or "C#4", with or without a volume after it.
constexpr size_t kNoteNameLength = 3;
bool IsNote(const std::string& token) {
    return token.size() >= kNoteNameLength && std::isdigit(token[kNoteNameLength - 1]);
}

constexpr char kHighestDoubled = '6';

// A melody an octave higher, plain: glides left out; notes already in the
// sixth octave stay, inside every player's frequency table.
std::string OctaveUp(const std::string& melody) {
    return EachToken(melody, [](std::string& token) {
        if (!token.empty() && token[0] == '^') {
            token.erase(0, 1);
        }
        if (IsNote(token) && token[2] < kHighestDoubled) {
            token = token.substr(0, 2) + char(token[2] + 1);
        }
    });
}

// Each note of a melody that has no volume of its own at `volume` ("v40").
std::string AtVolume(const std::string& melody, const std::string& volume) {
    return EachToken(melody, [&](std::string& token) {
        if (IsNote(token) && token.size() == kNoteNameLength) {
            token += volume;
        }
    });
}

// Every other bar of a melody, the first kept; each bar left out starts
// with a key-off, so the climax's midrange breathes.
std::string AlternateBars(const std::string& melody) {
    std::string out;
    size_t at = 0;
    for (int bar = 0; at <= melody.size(); ++bar) {
        const size_t end = std::min(melody.find('|', at), melody.size());
        std::string text = melody.substr(at, end - at);
        if (bar % 2 == 1) {
            bool first = true;
            std::string blank;
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] == ' ') {
                    blank += ' ';
                } else if (i == 0 || text[i - 1] == ' ') {
                    blank += first ? "===" : ".";
                    first = false;
                }
            }
            text = blank;
        }
        out += text + (end < melody.size() ? "|" : "");
        at = end + 1;
    }
    return out;
}

// A chord held for `steps` shuffled sixteenths.
std::string Held(const std::string& symbol, int steps) {
    std::string text = symbol;
    for (int i = 1; i < steps; ++i) {
        text += " .";
    }
    return text;
}

// A chord struck on the four offbeat eighths of a bar of shuffled sixteenths.
std::string OnOffbeats(const std::string& symbol) {
    constexpr int kBeatsPerBar = 4;
    std::string text;
    for (int beat = 0; beat < kBeatsPerBar; ++beat) {
        text += (beat > 0 ? " " : "") + std::string(". . ") + symbol + " .";
    }
    return text;
}

// One note every `rows` rows.
std::string Every(int rows, const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& note : notes) {
        text += note;
        for (int i = 1; i < rows; ++i) {
            text += " .";
        }
        text += " | ";
    }
    return text;
}

// clang-format off
// Bass figures, a bar each: L the root low, H an octave up, F the fifth.
const char kBounce[] = "L . H . L . H . L . H . L . H L";  // straight eighths, a pickup
const char kGallop[] = "L . L H L . L H L . L H L . L H";  // shuffled
const char kRunning[] = "L . L H F . H F L . F H L . H F"; // moving, on every kick: the spiral
const char kRocking[] = "L . F . H . F . L . F . H . F L"; // root, fifth, octave: the lift
const char kBroken[] = "L . . L . . L . L . . L . . H .";  // three against two, the turn
const char kPulse[]  = "L . . . . . . . L . . . . . H .";  // under the typing
const char kWalk[]   = "L . . . . . . . . . L . . . H .";  // half time, the greetings
// Arpeggios, a bar each over the chord tones a b c d (low to high): root,
// fifth, octave and tenth, an open voicing that leaves the triad's rising
// thirds to nobody.
const char kUp[]     = "a b c d a b c d a b c d a b c d";
const char kDown[]   = "d c b a d c b a d c b a d c b a";
const char kSpiral[] = "a b c d c b a b c d c b a b c d"; // a six-note turn against the bar
const char kEighths[] = "a . c . d . c . b . c . d . c .";
const char kBetween[] = ". . a . c . d . . . c . b . d ."; // clear of the typed glyphs' beats
// clang-format on

struct ChordNotes {
    const char* name;
    std::vector<std::string> bass; // low, high, fifth
    std::vector<std::string> arp;  // root, fifth, octave, tenth
};
// clang-format off
const ChordNotes kChordNotes[] = {
    {"Am", {"A-1", "A-2", "E-2"}, {"A-4", "E-5", "A-5", "C-6"}},
    {"F",  {"F-1", "F-2", "C-2"}, {"F-4", "C-5", "F-5", "A-5"}},
    {"C",  {"C-2", "C-3", "G-2"}, {"C-4", "G-4", "C-5", "E-5"}},
    {"G",  {"G-1", "G-2", "D-2"}, {"G-4", "D-5", "G-5", "B-5"}},
    {"E",  {"E-1", "E-2", "B-1"}, {"E-4", "B-4", "E-5", "G#5"}},
    {"Dm", {"D-2", "D-3", "A-2"}, {"D-4", "A-4", "D-5", "F-5"}},
    // The spiral's key, B minor.
    {"Bm", {"B-1", "B-2", "F#2"}, {"B-3", "F#4", "B-4", "D-5"}},
    {"Em", {"E-1", "E-2", "B-1"}, {"E-4", "B-4", "E-5", "G-5"}},
    {"F#", {"F#1", "F#2", "C#2"}, {"F#4", "C#5", "F#5", "A#5"}},
    {"A",  {"A-1", "A-2", "E-2"}, {"A-4", "E-5", "A-5", "C#6"}},
};
// The pad's sevenths and suspensions (the bass and the arpeggio play the
// triad under them).
const char* const kChordColours[] = {"Am7",   "Dm7",   "Em7", "E7",   "F#7",
                                     "G7",    "Cmaj7", "Fmaj7", "Gmaj7", "Esus4"};
// clang-format on

// The spiral's lead, in B minor over Bm G Em F#: the hook a tone up, then
// lines of its own, high; as the chords climb Em F# G A, the hook
// over E minor and a line that rises to the top of the song.
const char kSpiralLead[] = "C#5 . . D-5 . . F#5 . E-5 . . . D-5 . B-4 . |"
                           "B-5 . . . . . . . F#5 . . . G-5 . A-5 . |"
                           "B-5 . . . . . A-5 . G-5 . . . E-5 . F#5 . |"
                           "F#5 . . . . . . . E-5 . . . C#5 . A#4 . |"
                           "F#5 . . G-5 . . B-5 . A-5 . . . G-5 . E-5 . |"
                           "A#5 . . . C#6 . . . B-5 . A#5 . . . F#5 . |"
                           "G-5 . . A-5 . . B-5 . D-6 . . . C#6 . B-5 . |"
                           "C#6 . . . . . . . E-6 . . . D-6 . C#6 . |"
                           "B-5 . . . . . . . G#5 . . . E-5 . === .";

// The glyphs' second strike, a little softer than the first.
constexpr char kRingVolume[] = "v40";

// One blip per typed glyph, a second apart: the first ten, then the last four.
// The first four spell the hook, the next four answer it, the last six climb.
const std::string kFirstGlyphs =
    Every(12, {"B-6", "C-7", "E-7", "D-7", "B-6", "D-7", "C-7", "A-6", "F-6", "A-6"});
const std::string kLastGlyphs = Every(12, {"C-7", "E-7", "D-7", "G-7"});

std::vector<Phrase> Phrases() {
    // clang-format off
    std::vector<Phrase> phrases = {
        // Drums, a bar of shuffled sixteenths each unless noted.
        // x = full, digits = eighths of full.
        {"beat",    {{"kick",  "x.......x..3..4."},
                     {"snare", "....x.......x..."},
                     {"hat",   "6.4664.66.566.46"}}, Grid::Shuffle},
        {"beat.b",  {{"kick",  "x.......x..3..4."},
                     {"snare", "....x.......x..3"},
                     {"hat",   "6.4664.66.56...."},
                     {"open",  "............x..."}}, Grid::Shuffle},
        {"drive",   {{"kick",  "x...5...x...5..."},
                     {"snare", "....x.......x..."},
                     {"hat",   "65.535.565.535.5"},
                     {"open",  "..x...x...x...x."}}, Grid::Shuffle},
        {"drive.b", {{"kick",  "x...5...x...5.4."},
                     {"snare", "....x..3....x.45"},
                     {"hat",   "65.535.565.535.."},
                     {"open",  "..x...x...x....."}}, Grid::Shuffle},
        {"broken",  {{"kick",  "x..5..x...x..5.."},
                     {"snare", "....x.......x..."},
                     {"open",  "......x.......x."},
                     {"tom",   ". . . . . . . . . . . . . . C-3 ."}}, Grid::Shuffle},
        {"break",   {{"kick",  "x..............."},
                     {"tom",   ". . . . . . . . . . . . G-3 E-3 C-3 A-2"}}, Grid::Shuffle},
        {"break.2", {{"snare", "2...3.3.44556..."}}, Grid::Shuffle},
        {"stop.fill", {{"kick",  "x...5...x......."},
                     {"snare", "....x.......x..."},
                     {"hat",   "65.535.565.5...."}}, Grid::Shuffle},
        {"fill",    {{"kick",  "x...5...x...5..."},
                     {"snare", "....x.....x.5678"},
                     {"hat",   "65.535.565.5...."}}, Grid::Shuffle},
        {"tomfill", {{"kick",  "x.......x......."},
                     {"snare", "....x..........."},
                     {"hat",   "x4x4x4x4........"},
                     {"tom",   ". . . . . . . . G-3 . E-3 . C-3 . A-2 A-2"}}, Grid::Shuffle},
        {"half",    {{"kick",  "x.........x....."},
                     {"snare", "........x......."},
                     {"hat",   "..5...4...5...4."}}, Grid::Shuffle},
        {"pulse.b", {{"kick",  "5.......4....3.."},
                     {"snare", "....2.......2..."},
                     {"open",  "..5...5...5...5."}}, Grid::Shuffle},
        {"pulse.c", {{"snare", "....3.......3..3"},
                     {"hat",   "3.2.4.2.3.2.4.2."}}, Grid::Shuffle},
        {"climax",  {{"kick",  "x..5....x..5...."},
                     {"snare", "....x..2....x.2."},
                     {"clap",  "....x.......x..."},
                     {"hat",   "65.535.565.535.5"},
                     {"open",  "..x...6...x...6."}}, Grid::Shuffle},
        {"climax.in", {{"kick",  "x..5....x..5...."},  // under the crash: no open hat at once
                     {"snare", "....x..2....x.2."},
                     {"clap",  "....x.......x..."},
                     {"hat",   "65.535.565.535.5"},
                     {"open",  "......6...x...6."}}, Grid::Shuffle},
        {"climax.drop", {{"snare", "....x.......x..."},  // a bar without kick or bass
                     {"clap",  "....x.......x..."},
                     {"hat",   "..2...2...3...x."}}, Grid::Shuffle},
        {"climax.2", {{"kick",  "x..5....x..5...."},
                     {"snare", "....x.23....x.23"},
                     {"clap",  "....x.......x..."},
                     {"hat",   "65.565.565.565.5"},
                     {"open",  "..x...x...x...x."}}, Grid::Shuffle},
        {"climax.b", {{"kick",  "x..5....x..4..x4"},
                     {"snare", "....x..3....x.45"},
                     {"clap",  "....x.......x..."},
                     {"hat",   "65.535.565.535.."},
                     {"open",  "..x...x...x....."}}, Grid::Shuffle},
        {"climax.fill", {{"kick",  "x.......x......."},
                     {"snare", "....x.......x..."},
                     {"clap",  "....x.......x.5."},
                     {"tom",   ". . . . . . . . G-3 . E-3 . C-3 . A-2 A-2"}}, Grid::Shuffle},
        {"pulse",   {{"kick",  "5.......4......."},
                     {"snare", "............2..."},
                     {"hat",   "2.1.3.1.2.1.3.1."}}, Grid::Shuffle},
        // Under the typed glyphs (on every half bar): a soft kick lands with
        // each, nothing else on their beats.
        {"pulse.t", {{"kick",  "5.......4......."},
                     {"snare", "....2.......2..."},
                     {"hat",   "..3.4.2...3.4.2."}}, Grid::Shuffle},
        {"pulse.u", {{"kick",  "5.......4......3"},
                     {"snare", "....2.......2..."},
                     {"open",  "..4.......4....."}}, Grid::Shuffle},
        {"pulse.v", {{"snare", "....2.......2..."},                // a bar without the low end
                     {"hat",   "..3.4.2...3.4.2."}}, Grid::Shuffle},
        {"pulse.h", {{"kick",  "5......."},
                     {"hat",   "2.1.3.1."}}, Grid::Shuffle},          // half a bar
        {"prebuild.h",  {{"kick",  "x...6..."},
                     {"snare", "....3..."},
                     {"hat",   "34353435"}}, Grid::Shuffle},          // half a bar
        {"prebuild", {{"kick",  "x...6...x...6..."},
                     {"snare", "....3...3.3.4.4."},
                     {"hat",   "3435343534353435"}}, Grid::Shuffle},
        {"build",   {{"kick",  "x...6...x...6..."},
                     {"snare", "2.2.3.3.4.4.5.5."},
                     {"hat",   "3.x.3.x.3.x.3.x."}}, Grid::Shuffle},
        {"build16", {{"kick",  "x...x...x...x..."},
                     {"snare", "5555666677778888"}}, Grid::Shuffle},
        {"heart",   {{"kick",  "4.........3....."}}, Grid::Shuffle},
        {"roll",    {{"snare", "34567888"}}, Grid::Shuffle},  // half a bar
        {"stop",    {{"kick",  "x"}}},                         // one row: the last beat
        {"hit",     {{"crash", "x"}}},                         // one row: a new act's downbeat
        {"rise",    {{"riser", "x"}}},                         // two seconds of build-up
        {"bass.off",   {{"bass", "==="}}},                     // one row: let the bass go
        {"chords.off", {{"chords", "==="}}},                   // one row: let the pad go
        // C, then G until the grid leaves at 65 s, then D minor.
        {"G.held",     {{"chords", Held("G", 24)}}, Grid::Shuffle},
        {"Dm.held",    {{"chords", Held("Dm", 24)}}, Grid::Shuffle},

        // The hook: B, C held across the beat, E, D; a ninth over A minor
        // that leans into the chord. It returns in every act, each time
        // with another rhythm, register or harmony.
        // The theme over Am F C G, and its answer over Am F E.
        {"theme", {{"lead", "B-4 . . C-5 . . E-5 . D-5 . . . C-5 . A-4 . |"
                            "C-5 . . . . . . . A-4 . . . . . === . |"
                            "G-4 . C-5 . E-5 . . . G-5 . E-5 . D-5 . C-5 . |"
                            "D-5 . . . . . . . B-4 . . . ^D-5 . === ."}}, Grid::Shuffle},
        {"theme.answer", {{"lead", "B-4 . C-5 . E-5 . . D-5 . . . . A-5 . G-5 . |"
                                   "C-5 . . . ^F-5 . . . E-5 . . . D-5 . C-5 . |"
                                   "B-4 . . . . . . . G#4 . . . . . === ."}}, Grid::Shuffle},
        // The lift: the hook over F, higher, then an octave up over A minor.
        {"high", {{"lead", "E-5v48 . . F-5 . . A-5 . G-5 . . . F-5 . E-5 . |"
                           "D-5 . . . G-5 . . . B-5 . A-5 . . . G-5 . |"
                           "E-5 . . . . . G-5 . C-6 . . . B-5 . G-5 . |"
                           "B-5 . . C-6 . . A-5 . G-5 . . . . . === ."}}, Grid::Shuffle},
        {"high.end", {{"lead", "F-5 . . . E-5 . D-5 . . . C-5 . D-5 . . . |"
                               "B-4 . . . . . . . G-4 . . . ^D-5 . === ."}}, Grid::Shuffle},
        // The turn: everything walks down, Am G F E F E; the hook over G.
        {"turn", {{"lead", "A-5 . . . G-5 . . . E-5 . . . C-5 . . . |"
                           "F#4 . . G-4 . . B-4 . A-4 . . . ^B-4 . . . |"
                           "C-5 . . . A-4 . . . F-4 . . . ^A-4 . . . |"
                           "B-4 . . . . . . . G#4 . . . E-4 . . . |"
                           "A-4 . . . C-5 . . . F-5 . . . ^E-5 . . . |"
                           "E-5 . . . . . . . D-5 . . . B-4 . === ."}}, Grid::Shuffle},
        // The typing: the lead rests until the spiral; the answer's voice
        // holds long notes that move only halfway between the glyphs (which
        // fall on every half bar), so each blip is heard on its own.
        {"slow.pickup", {{"counter", ". . . . B-4 . . ."}}, Grid::Shuffle}, // half a bar
        {"slow", {{"counter", "E-5 . . . . . . . . . . . . . . . |"
                              ". . . . C-5 . . . . . . . . . . . |"
                              ". . . . D-5 . . . . . . . E-5 . . . |"
                              ". . . . D-5 . . . . . . . B-4 . . . |"
                              ". . . . C-5 . . . . . . . . . . . |"
                              ". . . . A-4 . . . . . . . . . === ."}}, Grid::Shuffle},
        // Then the lead rests until the spiral; the answer's voice carries
        // the tune and climbs to the spiral's dominant.
        {"slow.2", {{"counter", ". . D-5 . . . . . . . B-4 . G-4 . . . |"
                                ". . B-4 . . . . . . . . . === . . . |"
                                "F-5 . . . . . . . E-5 . . . D-5 . . . |"
                                "A-4 . . . . . . . . . . . === . . ."}}, Grid::Shuffle},
        {"climb", {{"counter", "F#4 . . . A#4 . . . C#5 . . . F#5 . . . |"
                               "A#5 . . . . . . . C#6 . . . . . === ."}}, Grid::Shuffle},
        // The spiral (its lead above), doubled an octave up in every other
        // bar; a counter-line below on the answer's voice.
        {"spiral", {{"lead", kSpiralLead}}, Grid::Shuffle},
        {"spiral.double", {{"double", AlternateBars(OctaveUp(kSpiralLead))}}, Grid::Shuffle},
        {"counter", {{"counter", "D-4 . . . . . . . F#4 . . . . . . . |"
                                 "B-3 . . . . . . . . . . . D-4 . . . |"
                                 "E-4 . . . . . . . G-4 . . . . . . . |"
                                 "F#4 . . . . . . . E-4 . . . C#4 . . . |"
                                 "G-4 . . . . . . . B-4 . . . . . . . |"
                                 "A#4 . . . . . . . C#5 . . . . . . . |"
                                 "B-4 . . . . . . . D-5 . . . B-4 . . . |"
                                 "C#5 . . . . . . . E-5 . . . C#5 . . . |"
                                 "B-4 . . . . . . . . . . . === . . ."}}, Grid::Shuffle},
        // The greetings: half time, the melody sings.
        {"greet", {{"lead", "E-5 . . . F-5 . . . A-5 . . . . . G-5 . |"
                            "E-5 . . . . . . . . . . . D-5 . C-5 . |"
                            "D-5 . . . . . . . B-4 . . . G-4 . . . |"
                            "A-4 . . . . . . . . . . . C-5 . E-5 . |"
                            "D-5 . . . . . . . B-4 . . . ^E-5 . . ."}}, Grid::Shuffle},
        // The end title: the hook's last words, home on A major, held, let go.
        {"last", {{"lead", "B-4 . . C#5 . . E-5 . . . . . A-5 . . . |"
                           ". . . . . . . . . . . . . . . . |"
                           ". . . . . . . . . . . . . . === ."}}, Grid::Shuffle},
        // The opening: the answer voice hints at the hook.
        {"hint", {{"answer", "B-4v30 . . C-5v30 . . E-5v34 . D-5v30 . . . C-5v28 . . . |"
                             "A-4v26 . . . . . . . . . . . === . . ."}}, Grid::Shuffle},

        // Blips: stars at the opening, then one per glyph while the address is
        // typed, a second (twelve rows) apart.
        {"stars", {{"blip", Every(12, {"E-6v22", ".", "B-5v18", "A-5v20", ".", "E-6v16"})}}},
        {"glyphs.1", {{"blip", kFirstGlyphs}, {"ring", AtVolume(kFirstGlyphs, kRingVolume)}}},
        {"glyphs.2", {{"blip", kLastGlyphs}, {"ring", AtVolume(kLastGlyphs, kRingVolume)}}},
        {"blip.last", {{"blip", "A-5v24"}}},
        {"sparks", {{"blip", Every(6, {"E-6", "A-5v40", "C-6", "E-6v40", "A-6", ".", "E-6", "C-6v40",
                                       "D-6", "G-5v40", "B-5", "D-6v40", "G-6", ".", "D-6", "B-5v40"})}}},

        // The end: the arpeggio dies away over a bar and a half.
        {"arp.F#.half", {{"arp", "F#4 C#5 F#5 A#5 F#4 C#5 F#5 A#5"}}, Grid::Shuffle},
        {"F#.break", {{"chords", "F# . . . . . . . . . . . . . . . | . . . . . . . . === . . . . . . ."}}, Grid::Shuffle},
        {"outro", {{"arp", "C#6v40 . . . A-5v36 . . . E-5v32 . . . A-4v28 . . . |"
                           "E-5v18 . . . A-4v14 . . . E-4v10 . . . . . . ."}}, Grid::Shuffle},
        {"bass.last", {{"bass", "A-1 . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . === ."}}, Grid::Shuffle},
        {"A.last",    {{"chords", "A . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . === ."}}, Grid::Shuffle},
    };
    // clang-format on
    // Every chord for a bar, half a bar and two bars.
    std::vector<std::string> heldChords(std::begin(kChordColours), std::end(kChordColours));
    for (const ChordNotes& chord : kChordNotes) {
        heldChords.push_back(chord.name);
    }
    for (const std::string& name : heldChords) {
        phrases.push_back({"st." + name, {{"stabs", OnOffbeats(name)}}, Grid::Shuffle});
        phrases.push_back({name, {{"chords", Held(name, 16)}}, Grid::Shuffle});
        phrases.push_back({name + "/2", {{"chords", Held(name, 8)}}, Grid::Shuffle});
        phrases.push_back({name + ":2", {{"chords", Held(name, 32)}}, Grid::Shuffle});
    }
    for (const ChordNotes& chord : kChordNotes) {
        const std::string name = chord.name;
        const std::string& root = name;
        const std::pair<const char*, const char*> bassFigures[] = {
            {"b.", kBounce}, {"r.", kGallop},  {"k.", kBroken}, {"p.", kPulse},
            {"g.", kWalk},   {"m.", kRunning}, {"l.", kRocking}};
        for (const auto& [prefix, figure] : bassFigures) {
            phrases.push_back(
                {prefix + root, {{"bass", Fill(figure, "LHF", chord.bass)}}, Grid::Shuffle});
        }
        const std::pair<const char*, const char*> arpFigures[] = {
            {"arp.", kUp}, {"down.", kDown}, {"s.", kSpiral}, {"e.", kEighths}, {"t.", kBetween}};
        for (const auto& [prefix, figure] : arpFigures) {
            phrases.push_back(
                {prefix + name, {{"arp", Fill(figure, "abcd", chord.arp)}}, Grid::Shuffle});
        }
    }
    return phrases;
}

// Twelve rows to the second; 24 rows make a bar.
constexpr int kRowsPerSecond = 12;

constexpr int RowsBetween(float from, float to) {
    return static_cast<int>((to - from) * kRowsPerSecond);
}

// An act's length in rows: to the next act's start, the last one to the
// show's end. The act table (show/timeline.h) holds the times.
constexpr int ActRows(ShowAct act) {
    return RowsBetween(ActStart(act),
                       act + 1 < kActCount ? ActStart(static_cast<ShowAct>(act + 1)) : kShowEnd);
}

// The address act in two: the typing up to the tenth glyph, then the build-up.
constexpr int kTypingRows = RowsBetween(ActStart(kAddressAct), GlyphTyped(10));

// clang-format off
// The show's acts, and what the music does in each.
const std::vector<PatternPlan> kPatterns = {
    // The opening: chords swell, stars, the answer voice hints at the
    // hook, the bass comes in, a riser and a roll lead into the beat.
    {"opening", ActRows(kOpeningAct), {"Am:2@18 ~12 F/2@24 G@28 E/2@32",
                      "hit@44 ~107",
                      "stop@40 ~107",
                      "stars ~36",
                      "~24 hint ~36",
                      "~84 rise ~23",
                      "~60 b.Am@30 p.E",
                      "~60 heart ~12 roll"}},
    // The spinning cube: the beat, the bass and the theme, growing bar by
    // bar; its seventh bar a break (the bass out, the lead held over E, a tom run).
    {"cube", ActRows(kSpinAct), {"hit ~167",
                   "beat@38 beat.b@40 beat@42 fill@44 beat@46 beat.b@46 break@46",
                   "b.Am@36 b.F@38 b.C@42 b.G@44 b.Am@48 b.F@48 bass.off ~23",
                   "Am@22 Fmaj7@24 C@28 G@30 Am7@34 Fmaj7@34 E7@36",
                   "theme@38 theme.answer@46"}},
    // The inner cubes appear: the lift turns aside to F, the hook
    // higher, the arpeggio in sixteenths; it stops on G, short of home.
    {"lift", ActRows(kInnerCubesAct), {"hit ~143",
                   "drive@38 drive@40 drive@42 drive.b@44 drive@46 stop.fill@52",
                   "l.F@52 l.G@52 l.C@52 l.Am@52 l.Dm@52 l.G@52",
                   "Fmaj7@24 G@24 C@25 Am7@25 Dm7@26 G7@32",
                   "arp.F@36 arp.G@36 arp.C@36 arp.Am@36 arp.Dm@38 arp.G@36",
                   "high@40 high.end@40"}},
    // The spin reverses: the turn, everything walks down.
    {"turn", ActRows(kReversalAct), {"~24 broken@40 broken@40 broken@42 broken@42 tomfill@48",
                   "bass.off ~23 k.G@50 k.F@50 k.E@50 k.F@50 k.E@50",
                   "chords.off ~23 G@32 Fmaj7@32 Esus4@34 Fmaj7@34 E@36",
                   "~24 down.G@26 down.F@26 down.E@26 down.F@28 down.E@26",
                   "turn@50"}},
    // The address is typed out: a quiet pulse under one blip per glyph,
    // every second from the first glyph to the last, the lead resting and
    // the answer's voice between the glyphs; the pulse changes every few seconds.
    {"typing", kTypingRows, {"hit@40 ~155",
                     "~12 pulse.t pulse.t pulse.u pulse.u pulse.v pulse.t",
                     "~60 p.C@48 p.G@48 ~24 p.F@48",
                     "~108 t.Am@24 t.F@24",
                     "Am/2@30 Am@22 Fmaj7@18 C@18 G@18 Am7@18 Fmaj7@18",
                     "~36 glyphs.1",
                     "slow.pickup@40 slow@40"}},
    // ...then a build-up into the spiral, whose dominant (F#) the break holds.
    // The grid leaves at 65 s: a crash, the hats in sixteenths, the snare
    // and the bass start the build there.
    {"typing.2", ActRows(kAddressAct) - kTypingRows, {"pulse.t pulse.t pulse.h prebuild.h prebuild@48 build@50 break.2@50",
                       "p.C@48 p.G@48 ~12 b.Dm@50 ~12 b.F#@54 ~24",
                       "Cmaj7@24 G.held@24 Dm.held@44 F#.break@42",
                       "glyphs.2 ~72 rise ~23",
                       "t.C@24 t.G@24 ~12 arp.Dm@28 ~12 arp.F#@30 arp.F#.half@26 ~12",
                       "~60 hit@36 ~83",
                       "slow.2@40 climb@48"}},
    // The pyramid spiral: a tone higher, in B minor, the clap, the
    // counter-line and the lead's octave new, everything at once, the loudest.
    {"spiral", ActRows(kSpiralAct), {"hit ~215",
                     "climax.in@54 climax@54 climax@54 climax.b@54 climax.drop@54 climax.2@56 climax.2@58 climax.b@58 climax.fill@54",
                     "m.Bm m.G m.Em m.F# ~24 m.F# m.G m.A b.E",
                     "st.Bm@40 st.Gmaj7@40 st.Em7@40 st.F#7@40 st.Em7@42 st.F#@42 st.Gmaj7@44 st.A@44 E7@40",
                     "s.Bm@50 s.G@50 s.Em@50 s.F#@50 s.Em@52 s.F#@52 s.G@54 s.A@54 arp.E@50",
                     "spiral@60",
                     "spiral.double@22",
                     "counter@36"}},
    // The greetings: back in A minor by a step from E to F, half
    // time, the melody sings.
    {"greetings", ActRows(kGreetingsAct), {"~24 half@44 half@44 half@44 ~24",
                        "~96 rise@56 ~23",
                        "~24 g.C@54 g.G@54 g.Am@54 b.E@54",
                        "F@20 C@40 G@40 Am@40 E@40",
                        "~24 e.C@26 e.G@26 e.Am@26 arp.E@28",
                        "greet@52"}},
    // The end title: the last chord rings, then every voice lets go;
    // the song ends in silence at the show's end.
    {"end", ActRows(kEndTitleAct), {"hit ~83",
                 "stop ~83",
                 "bass.last@40 ~12",
                 "A.last@30 ~12",
                 "outro ~36",
                 "last@50 ~12",
                 "~48 blip.last ~35"}},
};

// clang-format on

} // namespace

XmModule BuildSong() {
    XmModule song;
    song.name = "Tromvisk";
    song.trackerName = "Tromvisk soundtrack";
    song.channels = kChannels;
    song.speed = kSpeed;
    song.bpm = kBpm;
    song.patterns = ArrangePatterns({kChannels, kLanes, Phrases(), kPatterns});
    // Every pattern once, in the order written: the acts follow each other.
    for (size_t i = 0; i < song.patterns.size(); ++i) {
        song.orders.push_back(uint8_t(i));
    }
    song.instruments = BuildInstruments();
    return song;
}
