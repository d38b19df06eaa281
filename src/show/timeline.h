// The show's timeline: its acts and when each starts, the moments inside
// them, the show's end and the closing fade. The schedule, the camera track,
// the soundtrack and the tests all take their times from here, so the music
// follows the picture by construction.
#pragma once

enum ShowAct {
    kOpeningAct,    // the group's name in cubes, seen from above
    kSpinAct,       // the spinning blue cube over the grid
    kInnerCubesAct, // the cyan and magenta cubes join it
    kReversalAct,   // the spin turns back
    kAddressAct,    // the web address typed out
    kSpiralAct,     // the turning pyramid spiral
    kGreetingsAct,  // the greetings
    kEndTitleAct,   // the end title
    kActCount
};

struct ActRow {
    ShowAct act;
    const char* name;
    float start; // seconds of show time
};

// clang-format off
constexpr ActRow kActs[kActCount] = {
    // act             name               start
    {kOpeningAct,    "opening",           0},
    {kSpinAct,       "spinning cube",     9},
    {kInnerCubesAct, "inner cubes",      23},
    {kReversalAct,   "reversal",         35},
    {kAddressAct,    "address",          47},
    {kSpiralAct,     "pyramid spiral",   72},
    {kGreetingsAct,  "greetings",        90},
    {kEndTitleAct,   "end title",       100},
};
// clang-format on

constexpr float ActStart(ShowAct act) {
    return kActs[act].start;
}

constexpr bool ActsInOrder() {
    for (int i = 0; i < kActCount; ++i) {
        if (kActs[i].act != i || (i > 0 && kActs[i].start <= kActs[i - 1].start)) {
            return false;
        }
    }
    return true;
}
static_assert(ActsInOrder(), "one row per act, in order, each later than the one before");

// Moments inside the acts.
constexpr float kGroundAppears = ActStart(kOpeningAct) + 5;   // the grid under the opening banner
constexpr float kFirstGlyphTyped = ActStart(kAddressAct) + 3; // then one glyph a second
constexpr float kAddressTopView = ActStart(kAddressAct) + 18; // the grid goes, the camera rises
constexpr float kSpiralDive = ActStart(kSpiralAct) + 3;       // the camera sinks over the spiral...
constexpr float kSpiralDiveStep = 2.5f;                       // ...and rises, a step at a time
constexpr float kFirstGreetedNameShown = ActStart(kGreetingsAct) + 2;
constexpr float kSecondGreetedNameShown = ActStart(kGreetingsAct) + 4;

// When glyph `slot` of the address is typed.
constexpr float GlyphTyped(int slot) {
    return kFirstGlyphTyped + static_cast<float>(slot);
}

// The end title's last moment; the first frame past it ends the show.
constexpr float kShowEnd = ActStart(kEndTitleAct) + 7;

// The closing fade of the sound, once the show has ended.
constexpr int kSoundFadeMs = 1000;
constexpr double kMillisecondsPerSecond = 1000.0;

// A video of the show runs on to the end of the fade.
constexpr double kVideoEnd = kShowEnd + kSoundFadeMs / kMillisecondsPerSecond;
