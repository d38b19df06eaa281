#include "song.h"

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
    kChannels
};

// Chord tones spread left, centre and right (8xx).
const std::vector<uint8_t> kPadPannings = {0x30, 0x80, 0xD0};

// The lead: a quick glide into "^" notes, then vibrato on notes held for a
// beat. Its echo answers an eighth later, softer, from the right.
constexpr Expression kLeadExpression = {0x0C, 3, 0x43, 6};
constexpr Echo kLeadEcho = {kAnswerCh, Voice::Answer, 3, 45};

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

// A chord held for `steps` shuffled sixteenths.
std::string Held(const std::string& symbol, int steps) {
    std::string text = symbol;
    for (int i = 1; i < steps; ++i) {
        text += " .";
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
// Bass figures, a bar each: L the root low, H an octave up.
const char kBounce[] = "L . H . L . H . L . H . L . H L";  // straight eighths, a pickup
const char kGallop[] = "L . L H L . L H L . L H L . L H";  // shuffled, for the spiral
const char kBroken[] = "L . . L . . L . L . . L . . H .";  // three against two, the turn
const char kPulse[]  = "L . . . . . . . L . . . . . H .";  // under the typing
const char kWalk[]   = "L . . . . . . . . . L . . . H .";  // half time, the greetings
// Arpeggios, a bar each over the chord tones a b c d (low to high).
const char kUp[]     = "a b c d a b c d a b c d a b c d";
const char kDown[]   = "d c b a d c b a d c b a d c b a";
const char kSpiral[] = "a b c d c b a b c d c b a b c d"; // a six-note turn against the bar
const char kEighths[] = "a . c . d . c . b . c . d . c .";
// clang-format on

struct ChordNotes {
    const char* name;
    std::vector<std::string> bass; // low, high
    std::vector<std::string> arp;  // four tones, low to high
};
// clang-format off
const ChordNotes kChordNotes[] = {
    {"Am", {"A-1", "A-2"}, {"A-4", "C-5", "E-5", "A-5"}},
    {"F",  {"F-1", "F-2"}, {"F-4", "A-4", "C-5", "F-5"}},
    {"C",  {"C-2", "C-3"}, {"G-4", "C-5", "E-5", "G-5"}},
    {"G",  {"G-1", "G-2"}, {"G-4", "B-4", "D-5", "G-5"}},
    {"E",  {"E-1", "E-2"}, {"G#4", "B-4", "E-5", "G#5"}},
    {"Dm", {"D-2", "D-3"}, {"F-4", "A-4", "D-5", "F-5"}},
};
// clang-format on

std::vector<Phrase> Phrases() {
    // clang-format off
    std::vector<Phrase> phrases = {
        // Drums, a bar of shuffled sixteenths each unless noted.
        // x = full, digits = eighths of full.
        {"beat",    {{"kick",  "x.......x..3..4."},
                     {"snare", "....x.......x..."},
                     {"hat",   "x.4xx.4xx.5xx.4x"}}, Grid::Shuffle},
        {"beat.b",  {{"kick",  "x.......x..3..4."},
                     {"snare", "....x.......x..3"},
                     {"hat",   "x.4xx.4xx.5x...."},
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
                     {"snare", "............5678"}}, Grid::Shuffle},
        {"break.2", {{"snare", "2233445566778888"}}, Grid::Shuffle},
        {"fill",    {{"kick",  "x...5...x...5..."},
                     {"snare", "....x.....x.5678"},
                     {"hat",   "65.535.565.5...."}}, Grid::Shuffle},
        {"tomfill", {{"kick",  "x.......x......."},
                     {"snare", "....x..........."},
                     {"hat",   "x4x4x4x4........"},
                     {"tom",   ". . . . . . . . G-3 . E-3 . C-3 . A-2 A-2"}}, Grid::Shuffle},
        {"half",    {{"kick",  "x.........x....."},
                     {"snare", "........x......."}}, Grid::Shuffle},
        {"pulse",   {{"kick",  "5.......4......."},
                     {"snare", "............2..."},
                     {"hat",   "2.1.3.1.2.1.3.1."}}, Grid::Shuffle},
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

        // The theme over Am F C G, and its answer over Am F E.
        {"theme", {{"lead", "A-4 . C-5 . E-5 . . . D-5 . C-5 . D-5 . E-5 . |"
                            "C-5 . . . . . . . A-4 . . . . . === . |"
                            "G-4 . C-5 . E-5 . . . G-5 . E-5 . D-5 . C-5 . |"
                            "D-5 . . . . . . . B-4 . . . ^D-5 . === ."}}, Grid::Shuffle},
        {"theme.answer", {{"lead", "A-4 . C-5 . E-5 . . . A-5 . G-5 . E-5 . D-5 . |"
                                   "C-5 . . . ^F-5 . . . E-5 . . . D-5 . C-5 . |"
                                   "B-4 . . . . . . . G#4 . . . . . === ."}}, Grid::Shuffle},
        // The lift: higher, over Am F C G, then Dm E.
        {"high", {{"lead", "E-5v48 . . . ^A-5 . . . . . G-5 . E-5 . G-5 . |"
                           "A-5 . . . C-6 . . . A-5 . F-5 . . . E-5 . |"
                           "G-5 . . . . . E-5 . C-5 . . . D-5 . E-5 . |"
                           "D-5 . . . . . . . . . B-4 . ^D-5 . . ."}}, Grid::Shuffle},
        {"high.end", {{"lead", "F-5 . . . E-5 . D-5 . . . C-5 . D-5 . . . |"
                               "B-4 . . . . . . . G#4 . . . ^B-4 . === ."}}, Grid::Shuffle},
        // The turn: everything walks down, Am G F E F E.
        {"turn", {{"lead", "A-5 . . . G-5 . . . E-5 . . . C-5 . . . |"
                           "D-5 . . . B-4 . . . G-4 . . . ^B-4 . . . |"
                           "C-5 . . . A-4 . . . F-4 . . . ^A-4 . . . |"
                           "B-4 . . . . . . . G#4 . . . E-4 . . . |"
                           "A-4 . . . C-5 . . . F-5 . . . ^E-5 . . . |"
                           "E-5 . . . . . . . D-5 . . . B-4 . === ."}}, Grid::Shuffle},
        // The typing: the theme slowed down and soft, between the glyphs.
        {"slow", {{"lead", "E-5 . . . . . . . D-5 . . . C-5 . . . |"
                           "A-4 . . . . . . . . . . . === . . . |"
                           "C-5 . . . . . . . D-5 . . . E-5 . . . |"
                           "F-5 . . . . . . . E-5 . . . C-5 . . . |"
                           "E-5 . . . . . . . G-5 . . . E-5 . . . |"
                           "D-5 . . . . . . . C-5 . . . === . . ."}}, Grid::Shuffle},
        {"slow.2", {{"lead", "D-5 . . . . . . . B-4 . . . G-4 . . . |"
                           "B-4 . . . . . . . . . . . === . . . |"
                           "F-5 . . . . . . . E-5 . . . D-5 . . . |"
                           "A-4 . . . . . . . . . . . === . . ."}}, Grid::Shuffle},
        {"climb", {{"lead", "E-4 . . . G#4 . . . B-4 . . . E-5 . . . |"
                            "G#5 . . . . . . . ^B-5 . . . . . === ."}}, Grid::Shuffle},
        {"spiral.end", {{"lead", "E-5 . . . D-5 . . . B-4 . . . G#4 . === ."}}, Grid::Shuffle},
        // The greetings: half time, the melody sings.
        {"greet", {{"lead", "A-4 . . . . . . . C-5 . . . F-5 . . . |"
                            "E-5 . . . . . . . . . . . D-5 . C-5 . |"
                            "D-5 . . . . . . . B-4 . . . G-4 . . . |"
                            "A-4 . . . . . . . . . . . C-5 . E-5 . |"
                            "D-5 . . . . . . . B-4 . . . ^E-5 . . ."}}, Grid::Shuffle},
        // The end title: home, held, let go.
        {"last", {{"lead", "A-4 . . . . . . . . . . . . . . . |"
                           ". . . . . . . . . . . . . . . . |"
                           "=== . . . . . . ."}}, Grid::Shuffle},
        // The opening: the answer voice hints at the theme.
        {"hint", {{"answer", "A-4v30 . C-5v30 . E-5v34 . . . D-5v30 . C-5v28 . . . . . |"
                             "A-4v26 . . . . . . . . . . . === . . ."}}, Grid::Shuffle},

        // Blips: stars at the opening, then one per glyph while the address is
        // typed, a second (twelve rows) apart.
        {"stars", {{"blip", Every(12, {"E-6v16", ".", "B-5v12", "A-5v14", ".", "E-6v10"})}}},
        {"glyphs.1", {{"blip", Every(12, {"E-5", "A-5", "C-6", "A-5", "F-5", "G-5", "C-6",
                                          "E-6", "C-6", "D-6"})}}},
        {"glyphs.2", {{"blip", Every(12, {"B-5", "G-5", "D-6", "A-5"})}}},
        {"blip.last", {{"blip", "A-5v24"}}},
        {"sparks", {{"blip", Every(6, {"E-6", "A-5v40", "C-6", "E-6v40", "A-6", ".", "E-6", "C-6v40",
                                       "D-6", "G-5v40", "B-5", "D-6v40", "G-6", ".", "D-6", "B-5v40"})}}},

        // The end: the arpeggio dies away over a bar and a half.
        {"arp.E.half", {{"arp", "G#4 B-4 E-5 G#5 G#4 B-4 E-5 G#5"}}, Grid::Shuffle},
        {"E.break", {{"chords", "E . . . . . . . . . . . . . . . | . . . . . . . . === . . . . . . ."}}, Grid::Shuffle},
        {"outro", {{"arp", "A-5v36 . . . E-5v32 . . . C-5v28 . . . A-4v24 . . . |"
                           "E-5v18 . . . C-5v14 . . . A-4v10 . . . . . . ."}}, Grid::Shuffle},
        {"bass.last", {{"bass", "A-1 . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . | === . . . . . . ."}}, Grid::Shuffle},
        {"Am.last",   {{"chords", "Am . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . | === . . . . . . ."}}, Grid::Shuffle},
    };
    // clang-format on
    for (const ChordNotes& chord : kChordNotes) {
        const std::string name = chord.name;
        // The chord itself for a bar, half a bar and two bars.
        phrases.push_back({name, {{"chords", Held(name, 16)}}, Grid::Shuffle});
        phrases.push_back({name + "/2", {{"chords", Held(name, 8)}}, Grid::Shuffle});
        phrases.push_back({name + ":2", {{"chords", Held(name, 32)}}, Grid::Shuffle});
        const std::string root = name.substr(0, 1);
        const std::pair<const char*, const char*> bassFigures[] = {
            {"b.", kBounce}, {"r.", kGallop}, {"k.", kBroken}, {"p.", kPulse}, {"g.", kWalk}};
        for (const auto& [prefix, figure] : bassFigures) {
            phrases.push_back(
                {prefix + root, {{"bass", Fill(figure, "LH", chord.bass)}}, Grid::Shuffle});
        }
        const std::pair<const char*, const char*> arpFigures[] = {
            {"arp.", kUp}, {"down.", kDown}, {"s.", kSpiral}, {"e.", kEighths}};
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
    return RowsBetween(ActStart(act), act + 1 < kActCount ? ActStart(static_cast<ShowAct>(act + 1))
                                                          : kShowEnd);
}

// The address act in two: the typing up to the tenth glyph, then the build-up.
constexpr int kTypingRows = RowsBetween(ActStart(kAddressAct), GlyphTyped(10));

// clang-format off
// The show's acts, and what the music does in each.
const std::vector<PatternPlan> kPatterns = {
    // The opening: chords swell, stars, the answer voice hints at the
    // theme, the bass comes in, a riser and a roll lead into the beat.
    {"opening", ActRows(kOpeningAct), {"Am:2@18 F@24 G@28 E/2@32",
                      "stars ~36",
                      "~24 hint ~36",
                      "~84 rise ~23",
                      "~48 b.A@30 p.E ~12",
                      "~48 heart ~24 roll"}},
    // The spinning cube: the beat, the bass and the theme.
    {"cube", ActRows(kSpinAct), {"hit ~167",
                   "beat@52 beat.b@52 beat@52 beat.b@52 beat@52 beat.b@52 break@52",
                   "b.A b.F b.C b.G b.A b.F b.E",
                   "Am@44 F@44 C@44 G@44 Am@44 F@44 E@44",
                   "~96 e.Am@28 e.F@28 e.E@30",
                   "theme@54 theme.answer@54"}},
    // The inner cubes appear: the lift, higher, with the arpeggio.
    {"lift", ActRows(kInnerCubesAct), {"hit ~143",
                   "drive@54 drive@54 drive@54 drive.b@54 drive@54 fill@54",
                   "b.A b.F b.C b.G b.D b.E",
                   "Am@42 F@42 C@42 G@42 Dm@42 E@42",
                   "arp.Am@34 arp.F@34 arp.C@34 arp.G@34 arp.Dm@36 arp.E@34",
                   "high@56 high.end@56"}},
    // The spin reverses: the turn, everything walks down.
    {"turn", ActRows(kReversalAct), {"~24 broken@54 broken@54 broken@54 broken@54 tomfill@54",
                   "k.A k.G k.F k.E k.F k.E",
                   "Am@46 G@46 F@46 E@46 F@46 E@46",
                   "down.Am@34 down.G@34 down.F@34 down.E@34 down.F@36 down.E@34",
                   "turn@56"}},
    // The address is typed out: a quiet pulse under one blip per
    // glyph, every second from the first glyph to the last, and the theme
    // slowed down.
    {"typing", kTypingRows, {"hit@40 ~155",
                     "~12 pulse*6",
                     "~12 p.A p.A p.F p.F p.C p.C",
                     "Am/2@30 Am:2@30 F:2@30 C:2@30",
                     "~36 glyphs.1",
                     "~12 slow@30"}},
    // ...then a build-up into the spiral.
    {"typing.2", ActRows(kAddressAct) - kTypingRows, {"pulse pulse pulse pulse build break.2",
                       "p.G p.G p.D p.D b.E ~24",
                       "G:2@30 Dm:2@32 E.break@38",
                       "glyphs.2 ~72 rise ~23",
                       "~96 arp.E@26 arp.E.half@30 ~12",
                       "slow.2@30 climb@44"}},
    // The pyramid spiral: everything at once, the loudest.
    {"spiral", ActRows(kSpiralAct), {"hit ~95 hit ~119",
                     "drive@56 drive@56 drive@56 drive.b@56 drive@56 drive@56 drive@56 drive.b@56 tomfill@56",
                     "r.A r.F r.C r.G r.A r.F r.C r.G b.E",
                     "Am@50 F@50 C@50 G@50 Am@50 F@50 C@50 G@50 E@50",
                     "s.Am@46 s.F@46 s.C@46 s.G@46 s.Am@46 s.F@46 s.C@46 s.G@46 arp.E@46",
                     "~96 sparks ~24",
                     "theme@64 high@56 spiral.end@60"}},
    // The greetings: half time, the melody sings.
    {"greetings", ActRows(kGreetingsAct), {"~24 half@52 half@52 half@52 fill@52",
                        "g.F g.C g.G g.A b.E",
                        "F@46 C@46 G@46 Am@46 E@46",
                        "e.F@30 e.C@30 e.G@30 e.Am@30 arp.E@34",
                        "greet@58"}},
    // The end title: the last chord rings, then every voice lets go;
    // the song ends in silence at the show's end.
    {"end", ActRows(kEndTitleAct), {"hit ~83",
                 "stop ~83",
                 "bass.last@40 ~24",
                 "Am.last@34 ~24",
                 "outro ~36",
                 "last@44 ~24",
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
