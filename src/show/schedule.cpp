#include "show/schedule.h"

#include "show/banners.h"
#include "show/motion.h"
#include "show/time_span.h"
#include "show/timeline.h"

namespace {

struct ScheduleEntry {
    TimeSpan span;
    void (*run)();
    void (*move)(); // what run changes of the turns; null when it changes none
};

// The whole show, tested top to bottom every frame. Nothing saves the
// modelview matrix, so a turn made by one entry turns everything after it in
// the same frame; with no depth test, later entries paint over earlier ones.
constexpr float kOpening = ActStart(kOpeningAct);
constexpr float kSpin = ActStart(kSpinAct);
constexpr float kInnerCubes = ActStart(kInnerCubesAct);
constexpr float kReversal = ActStart(kReversalAct);
constexpr float kAddress = ActStart(kAddressAct);
constexpr float kSpiral = ActStart(kSpiralAct);
constexpr float kGreetings = ActStart(kGreetingsAct);
constexpr float kEndTitle = ActStart(kEndTitleAct);

// clang-format off
constexpr ScheduleEntry kSchedule[] = {
    // from                      to                run                     move
    {{kOpening,                  kSpin},           DrawOpeningBanner,       nullptr},
    {{kSpin,                     kAddress},        SpinCube,                AdvanceSpin},
    {{kInnerCubes,               kAddress},        DrawInnerAndCornerCubes, nullptr},
    {{kGroundAppears,            kAddressTopView}, DrawGround,              nullptr},
    {{kReversal,                 kForever},        ResetTilt,               ResetTilt},
    {{kReversal,                 kAddress},        ReverseSpin,             ReverseSpin},
    // The address, typed one glyph a second.
    {{GlyphTyped(0),             kSpiral},         [] { DrawAddressSlot(0); },  nullptr},
    {{GlyphTyped(1),             kSpiral},         [] { DrawAddressSlot(1); },  nullptr},
    {{GlyphTyped(2),             kSpiral},         [] { DrawAddressSlot(2); },  nullptr},
    {{GlyphTyped(3),             kSpiral},         [] { DrawAddressSlot(3); },  nullptr},
    {{GlyphTyped(4),             kSpiral},         [] { DrawAddressSlot(4); },  nullptr},
    {{GlyphTyped(5),             kSpiral},         [] { DrawAddressSlot(5); },  nullptr},
    {{GlyphTyped(6),             kSpiral},         [] { DrawAddressSlot(6); },  nullptr},
    {{GlyphTyped(7),             kSpiral},         [] { DrawAddressSlot(7); },  nullptr},
    {{GlyphTyped(8),             kSpiral},         [] { DrawAddressSlot(8); },  nullptr},
    {{GlyphTyped(9),             kSpiral},         [] { DrawAddressSlot(9); },  nullptr},
    {{GlyphTyped(10),            kSpiral},         [] { DrawAddressSlot(10); }, nullptr},
    {{GlyphTyped(11),            kSpiral},         [] { DrawAddressSlot(11); }, nullptr},
    {{GlyphTyped(12),            kSpiral},         [] { DrawAddressSlot(12); }, nullptr},
    {{GlyphTyped(13),            kSpiral},         [] { DrawAddressSlot(13); }, nullptr},
    {{kSpiral,                   kGreetings},      TurnSpiral,              AdvanceSpiral},
    {{kGreetings,                kEndTitle},       DrawGreetings,           nullptr},
    {{kFirstGreetedNameShown,    kEndTitle},       DrawFirstGreetedName,    nullptr},
    {{kSecondGreetedNameShown,   kEndTitle},       DrawSecondGreetedName,   nullptr},
    {{kEndTitle,                 kForever},        DrawEndTitle,            nullptr},
};
// clang-format on
static_assert(kAddressSlots == 14, "one entry per glyph of the address");

} // namespace

void RunSchedule(float t) {
    for (const ScheduleEntry& entry : kSchedule) {
        if (IsActive(entry.span, t)) {
            entry.run();
        }
    }
}

void RunScheduleMotion(float t) {
    for (const ScheduleEntry& entry : kSchedule) {
        if (entry.move != nullptr && IsActive(entry.span, t)) {
            entry.move();
        }
    }
}
