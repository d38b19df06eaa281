#include "song.h"

#include "arrangement.h"
#include "instruments.h"
#include "notation.h"

namespace {

// Speed 6 at 120 BPM: a row lasts 6 ticks of 2.5 / 120 s = 0.125 s, so eight
// rows make a second, four rows a beat and sixteen rows a bar of two seconds.
constexpr int kSpeed = 6;
constexpr int kBpm = 120;

enum Channel {
    kKickCh,
    kSnareCh,
    kTomCh,
    kHatCh,
    kFxCh,
    kBassCh,
    kPadCh,
    kPad2Ch,
    kArpCh,
    kLeadCh,
    kChannels
};

// clang-format off
// Which channel each lane plays on; lanes sharing a channel must not meet.
const std::vector<Lane> kLanes = {
    // name     kind              channel   voice              drum note
    {"kick",   LaneKind::Drum,   kKickCh,  Voice::Kick,       ParseNoteName("C-4")},
    {"snare",  LaneKind::Drum,   kSnareCh, Voice::Snare,      ParseNoteName("C-4")},
    {"tom",    LaneKind::Notes,  kTomCh,   Voice::Tom},
    {"hat",    LaneKind::Drum,   kHatCh,   Voice::ClosedHat,  ParseNoteName("C-4")},
    {"open",   LaneKind::Drum,   kHatCh,   Voice::OpenHat,    ParseNoteName("C-4")},
    {"crash",  LaneKind::Drum,   kFxCh,    Voice::Crash,      ParseNoteName("C-4")},
    {"riser",  LaneKind::Drum,   kFxCh,    Voice::Riser,      ParseNoteName("C-4")},
    {"blip",   LaneKind::Notes,  kFxCh,    Voice::Blip},
    {"bass",   LaneKind::Notes,  kBassCh,  Voice::Bass},
    {"chords", LaneKind::Chords, kPadCh,   Voice::PadMajor,   0, kPad2Ch, Voice::PadMinor},
    {"arp",    LaneKind::Notes,  kArpCh,   Voice::Arp},
    {"lead",   LaneKind::Notes,  kLeadCh,  Voice::Lead},
};

const std::vector<Phrase> kPhrases = {
    // Drums, one bar each unless noted. x = full, digits = eighths of full.
    {"beat",    {{"kick",  "x...x...x...x..."},
                 {"snare", "....x.......x..."},
                 {"hat",   "..x...x...x...x."}}},
    {"beat.b",  {{"kick",  "x...x...x...x.3."},
                 {"snare", "....x.......x..."},
                 {"hat",   "..x...x...x.4.x."}}},
    {"drive",   {{"kick",  "x...x...x...x..."},
                 {"snare", "....x.......x..."},
                 {"hat",   "3.x.3.x.3.x.3..."},
                 {"open",  "..............x."}}},
    {"drive.b", {{"kick",  "x...x...x...x.4."},
                 {"snare", "....x..2....x..3"},
                 {"hat",   "3.x.3.x.3.x.3..."},
                 {"open",  "..............x."}}},
    {"fill",    {{"kick",  "x...x...x...x..."},
                 {"snare", "....x.....x.5678"},
                 {"hat",   "3.x.3.x.3.x....."}}},
    {"tomfill", {{"kick",  "x.......x......."},
                 {"snare", "....x..........."},
                 {"tom",   ". . . . . . . . G-3 . E-3 . C-3 . A-2 A-2"}}},
    {"half",    {{"kick",  "x.........x....."},
                 {"snare", "........x......."},
                 {"hat",   "x.3.x.3.x.3.x.3."}}},
    {"pulse",   {{"kick",  "x.......x......."},
                 {"snare", "............2..."},
                 {"hat",   "2.2.5.2.2.2.5.2."}}},
    {"build",   {{"kick",  "x...x...x...x..."},
                 {"snare", "2.2.3.3.4.4.5.5."},
                 {"hat",   "3.x.3.x.3.x.3.x."}}},
    {"build16", {{"kick",  "x...x...x...x..."},
                 {"snare", "5555666677778888"}}},
    {"heart",   {{"kick",  "5.........4....."}}},
    {"roll",    {{"snare", "34567888"}}},        // half a bar
    {"hit",     {{"crash", "x"}}},               // one row: the downbeat of a new act
    {"stop",    {{"kick", "x"}}},                // one row: the last beat
    {"rise",    {{"riser", "x..............."}}},  // two seconds of build-up

    // Chords, a bar each; ":2" holds for two bars, "/2" lasts half a bar.
    {"Am",   {{"chords", "Am . . . . . . . . . . . . . . ."}}},
    {"F",    {{"chords", "F  . . . . . . . . . . . . . . ."}}},
    {"C",    {{"chords", "C  . . . . . . . . . . . . . . ."}}},
    {"G",    {{"chords", "G  . . . . . . . . . . . . . . ."}}},
    {"E",    {{"chords", "E  . . . . . . . . . . . . . . ."}}},
    {"Dm",   {{"chords", "Dm . . . . . . . . . . . . . . ."}}},
    {"G/2",  {{"chords", "G  . . . . . . ."}}},
    {"E/2",  {{"chords", "E  . . . . . . ."}}},
    {"Am:2", {{"chords", "Am . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . ."}}},
    {"F:2",  {{"chords", "F  . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . ."}}},
    {"C:2",  {{"chords", "C  . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . ."}}},
    {"G:2",  {{"chords", "G  . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . ."}}},
    {"Dm:2", {{"chords", "Dm . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . ."}}},
    {"E:2",  {{"chords", "E  . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . ."}}},
    {"Am.last", {{"chords", "Am"}}},               // one row, held to the end

    // Bass. Half-bar octave bounces...
    {"b.A", {{"bass", "A-1 . A-2 . A-1 . A-2 ."}}},
    {"b.F", {{"bass", "F-1 . F-2 . F-1 . F-2 ."}}},
    {"b.C", {{"bass", "C-2 . C-3 . C-2 . C-3 ."}}},
    {"b.G", {{"bass", "G-1 . G-2 . G-1 . G-2 ."}}},
    {"b.E", {{"bass", "E-1 . E-2 . E-1 . E-2 ."}}},
    {"b.D", {{"bass", "D-2 . D-3 . D-2 . D-3 ."}}},
    // ...a beat of galloping sixteenths for the spiral...
    {"r.A", {{"bass", "A-1 . A-1 A-2"}}},
    {"r.F", {{"bass", "F-1 . F-1 F-2"}}},
    {"r.C", {{"bass", "C-2 . C-2 C-3"}}},
    {"r.G", {{"bass", "G-1 . G-1 G-2"}}},
    // ...a bar of sparse pulse under the typing...
    {"p.A", {{"bass", "A-1 . . . . . . . A-1 . . . . . A-2 ."}}},
    {"p.F", {{"bass", "F-1 . . . . . . . F-1 . . . . . F-2 ."}}},
    {"p.C", {{"bass", "C-2 . . . . . . . C-2 . . . . . C-3 ."}}},
    {"p.G", {{"bass", "G-1 . . . . . . . G-1 . . . . . G-2 ."}}},
    {"p.D", {{"bass", "D-2 . . . . . . . D-2 . . . . . D-3 ."}}},
    // ...and a walking bar for the greetings.
    {"g.F", {{"bass", "F-1 . . . . . . . . . F-1 . . . C-2 ."}}},
    {"g.C", {{"bass", "C-2 . . . . . . . . . C-2 . . . G-1 ."}}},
    {"g.G", {{"bass", "G-1 . . . . . . . . . G-1 . . . D-2 ."}}},
    {"g.A", {{"bass", "A-1 . . . . . . . . . A-1 . . . E-2 ."}}},
    {"long.F", {{"bass", "F-1 . . . . . . . . . . . . . . ."}}},
    {"long.E", {{"bass", "E-1 . . . . . . . . . . . . . . ."}}},
    {"bass.open", {{"bass", "C-2 . . . . . . . . . . . . . . . |"
                            "G-1 . . . . . . . . . . . . . . . |"
                            "E-1 . . . . . . ."}}},
    {"bass.last", {{"bass", "A-1"}}},

    // Arpeggios: half a bar of sixteenths up, or down once the spin turns...
    {"arp.Am", {{"arp", "A-4 C-5 E-5 A-5 A-4 C-5 E-5 A-5"}}},
    {"arp.F",  {{"arp", "F-4 A-4 C-5 F-5 F-4 A-4 C-5 F-5"}}},
    {"arp.C",  {{"arp", "G-4 C-5 E-5 G-5 G-4 C-5 E-5 G-5"}}},
    {"arp.G",  {{"arp", "G-4 B-4 D-5 G-5 G-4 B-4 D-5 G-5"}}},
    {"arp.E",  {{"arp", "G#4 B-4 E-5 G#5 G#4 B-4 E-5 G#5"}}},
    {"arp.Dm", {{"arp", "F-4 A-4 D-5 F-5 F-4 A-4 D-5 F-5"}}},
    {"down.Am", {{"arp", "A-5 E-5 C-5 A-4 A-5 E-5 C-5 A-4"}}},
    {"down.G",  {{"arp", "G-5 D-5 B-4 G-4 G-5 D-5 B-4 G-4"}}},
    {"down.F",  {{"arp", "F-5 C-5 A-4 F-4 F-5 C-5 A-4 F-4"}}},
    {"down.E",  {{"arp", "G#5 E-5 B-4 G#4 G#5 E-5 B-4 G#4"}}},
    // ...eighths for the quieter acts...
    {"e.Am", {{"arp", "C-5 . E-5 . A-5 . E-5 ."}}},
    {"e.F",  {{"arp", "C-5 . F-5 . A-5 . F-5 ."}}},
    {"e.C",  {{"arp", "C-5 . E-5 . G-5 . E-5 ."}}},
    {"e.G",  {{"arp", "B-4 . D-5 . G-5 . D-5 ."}}},
    {"e.Dm", {{"arp", "D-5 . F-5 . A-5 . F-5 ."}}},
    // ...a six-note cycle turning against the bar, for the spiral...
    {"s.Am", {{"arp", "A-4 C-5 E-5 A-5 E-5 C-5 A-4 C-5 E-5 A-5 E-5 C-5 A-4 C-5 E-5 A-5"}}},
    {"s.F",  {{"arp", "F-4 A-4 C-5 F-5 C-5 A-4 F-4 A-4 C-5 F-5 C-5 A-4 F-4 A-4 C-5 F-5"}}},
    {"s.C",  {{"arp", "G-4 C-5 E-5 G-5 E-5 C-5 G-4 C-5 E-5 G-5 E-5 C-5 G-4 C-5 E-5 G-5"}}},
    {"s.G",  {{"arp", "G-4 B-4 D-5 G-5 D-5 B-4 G-4 B-4 D-5 G-5 D-5 B-4 G-4 B-4 D-5 G-5"}}},
    // ...and the closing one, dying away over three bars.
    {"outro", {{"arp", "A-5v40 . . . E-5v36 . . . C-5v32 . . . A-4v28 . . . |"
                       "E-5v24 . . . C-5v20 . . . A-4v18 . . . E-4v16 . . . |"
                       "A-4v12 . . . . . . . . . . . . . . ."}}},

    // Lead. The theme over Am F C G, and its answer.
    {"theme", {{"lead", "E-5 . . . . . D-5 . . . . . C-5 . D-5 . |"
                        "C-5 . . . . . A-4 . . . . . . . === . |"
                        "E-5 . . . . . G-5 . . . . . E-5 . D-5 . |"
                        "D-5 . . . . . . . B-4 . . . G-4 . . ==="}}},
    {"answer", {{"lead", "E-5 . . . . . D-5 . . . . . C-5 . D-5 . |"
                         "F-5 . . . . . E-5 . . . . . C-5 . A-4 . |"
                         "G-5 . . . . . E-5 . . . . . C-5 . E-5 . |"
                         "D-5 . . . . . . . . . . . === . . ."}}},
    {"lift.end", {{"lead", "F-5 . . . . . E-5 . . . . . D-5 . C-5 . |"
                           "B-4 . . . . . . . G#4 . . . B-4 . === ."}}},
    {"turn", {{"lead", "A-5 . . . G-5 . . . E-5 . . . C-5 . . . |"
                       "D-5 . . . B-4 . . . G-4 . . . B-4 . . . |"
                       "C-5 . . . A-4 . . . F-4 . . . A-4 . . . |"
                       "B-4 . . . . . . . G#4 . . . E-4 . === ."}}},
    {"spiral.end", {{"lead", "E-5 . . . D-5 . . . B-4 . . . G#4 . === ."}}},
    {"greet", {{"lead", "A-4 . . . . . . . C-5 . . . F-5 . . . |"
                        "E-5 . . . . . . . . . . . D-5 . C-5 . |"
                        "D-5 . . . . . . . B-4 . . . G-4 . . . |"
                        "A-4 . . . . . . . . . . . C-5 . E-5 . |"
                        "D-5 . . . . . . . B-4 . . . D-5 . === ."}}},
    {"last", {{"lead", "A-4 . . . . . . . . . . . . . . . |"
                       ". . . . . . . . . . . . . . . . |"
                       ". . . . . . . . . . . . === . . ."}}},

    // Blips: one per glyph while the address is typed, a second apart
    // (eight rows), and a few soft ones like stars at the opening.
    {"glyphs.1", {{"blip", "E-5 . . . . . . . | A-5 . . . . . . . | C-6 . . . . . . . |"
                           "A-5 . . . . . . . | F-5 . . . . . . ."}}},
    {"glyphs.2", {{"blip", "G-5 . . . . . . . | C-6 . . . . . . . | E-6 . . . . . . . |"
                           "C-6 . . . . . . . | D-6 . . . . . . . | B-5 . . . . . . . |"
                           "G-5 . . . . . . . | D-6 . . . . . . ."}}},
    {"glyphs.3", {{"blip", "A-5 . . . . . . ."}}},
    {"stars", {{"blip", "E-6v20 . . . . . . . . . . . B-5v14 . . . |"
                        ". . . . A-5v18 . . . . . . . . . E-6v12 . |"
                        "C-6v20 . . . . . . . G-5v14 . . . . . . . |"
                        ". . . . B-5v16 . . ."}}},
    {"blip.last", {{"blip", "A-5v40"}}},
};

// The show's acts, and what the music does in each. Rows per pattern are set
// so that each act starts on its second: eight rows to the second.
const std::vector<PatternPlan> kPatterns = {
    // 0 s, the opening: chords swell, stars, the bass comes in, a roll.
    {"opening", 72, {"Am F C G E/2",
                     "arp.Am*2@10 arp.F*2@12 arp.C*2@16 arp.G*2@20 arp.E@24",
                     "stars ~16",
                     "~56 rise",
                     "~32 bass.open",
                     "~32 heart*2 roll"}},
    // 9 s, the spinning cube: the beat and the bass.
    {"cube", 64, {"hit ~63",
                  "beat beat.b beat beat.b",
                  "b.A*2 b.F*2 b.C*2 b.G*2",
                  "Am F C G"}},
    {"cube.2", 48, {"beat beat.b fill",
                    "b.A*2 b.F*2 b.G b.E",
                    "Am F G/2 E/2",
                    "arp.Am*2@18 arp.F*2@22 arp.G@26 arp.E@30"}},
    // 23 s, the inner cubes appear: the lift, with the theme.
    {"lift", 64, {"hit ~63",
                  "drive drive drive drive.b",
                  "b.A*2 b.F*2 b.C*2 b.G*2",
                  "Am F C G",
                  "arp.Am*2 arp.F*2 arp.C*2 arp.G*2",
                  "theme"}},
    {"lift.2", 32, {"drive fill",
                    "b.D*2 b.E*2",
                    "Dm E",
                    "arp.Dm*2 arp.E*2",
                    "lift.end"}},
    // 35 s, the spin reverses: the turn, everything walks down.
    {"turn", 64, {"hit ~63",
                  "drive drive drive drive.b",
                  "b.A*2 b.G*2 b.F*2 b.E*2",
                  "Am G F E",
                  "down.Am*2 down.G*2 down.F*2 down.E*2",
                  "turn"}},
    {"turn.2", 32, {"heart tomfill",
                    "long.F long.E",
                    "F E",
                    "down.F*2@24 down.E*2@18",
                    "~16 rise"}},
    // 47 s, the address is typed out: a quiet pulse under one blip per
    // glyph, every second from 50 s to 63 s...
    {"typing", 64, {"hit ~63",
                    "pulse*4",
                    "p.A*2 p.F*2",
                    "Am:2 F:2",
                    "~24 glyphs.1"}},
    {"typing.2", 64, {"pulse*4",
                      "p.C*2 p.G*2",
                      "C:2 G:2",
                      "glyphs.2",
                      "e.C*4@18 e.G*4@22"}},
    // ...then a build-up into the spiral.
    {"typing.3", 72, {"pulse pulse build build16 roll",
                      "p.D*2 b.E*5",
                      "Dm:2 E:2 E/2",
                      "glyphs.3 ~48 rise",
                      "e.Dm*4@22 arp.E*2@26 arp.E*2@30 arp.E@34"}},
    // 72 s, the pyramid spiral: everything at once.
    {"spiral", 64, {"hit ~63",
                    "drive drive drive drive.b",
                    "r.A*4 r.F*4 r.C*4 r.G*4",
                    "Am F C G",
                    "s.Am s.F s.C s.G",
                    "theme"}},
    {"spiral.2", 80, {"drive drive drive drive.b fill",
                      "r.A*4 r.F*4 r.C*4 r.G*4 b.E*2",
                      "Am F C G E",
                      "s.Am s.F s.C s.G arp.E*2",
                      "answer spiral.end"}},
    // 90 s, the greetings: half time, the melody sings.
    {"greetings", 80, {"hit ~79",
                       "half half half half fill",
                       "g.F g.C g.G g.A b.G*2",
                       "F C G Am G",
                       "e.F*2@22 e.C*2@22 e.G*2@22 e.Am*2@22 arp.G*2@28",
                       "greet"}},
    // 100 s, the end title: the last chord rings out to the end.
    {"end", 60, {"hit ~59",
                 "stop ~59",
                 "bass.last ~59",
                 "Am.last ~59",
                 "outro ~12",
                 "last ~12",
                 "~48 blip.last ~11"}},
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
    song.patterns = ArrangePatterns({kChannels, kLanes, kPhrases, kPatterns});
    // Every pattern once, in the order written: the acts follow each other.
    for (size_t i = 0; i < song.patterns.size(); ++i) {
        song.orders.push_back(uint8_t(i));
    }
    song.instruments = BuildInstruments();
    return song;
}
