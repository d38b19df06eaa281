#include "show/schedule.h"

#include "show/banners.h"
#include "show/motion.h"
#include "show/show_window.h"

namespace {

struct ScheduleEntry {
    ShowWindow window;
    void (*run)();
};

// The whole show, tested top to bottom every frame. Nothing saves the
// modelview matrix, so a turn made by one entry turns everything after it in
// the same frame; with no depth test, later entries paint over earlier ones.
constexpr ScheduleEntry kSchedule[] = {
    {{0, 9}, DrawOpeningBanner},
    {{9, 47}, SpinCube},
    {{23, 47}, DrawInnerAndCornerCubes},
    {{5, 65}, DrawGround},
    {{35, kForever}, ResetTilt},
    {{35, 47}, ReverseSpin},
    // The address, typed one glyph a second.
    {{50, 72}, [] { DrawAddressSlot(0); }},
    {{51, 72}, [] { DrawAddressSlot(1); }},
    {{52, 72}, [] { DrawAddressSlot(2); }},
    {{53, 72}, [] { DrawAddressSlot(3); }},
    {{54, 72}, [] { DrawAddressSlot(4); }},
    {{55, 72}, [] { DrawAddressSlot(5); }},
    {{56, 72}, [] { DrawAddressSlot(6); }},
    {{57, 72}, [] { DrawAddressSlot(7); }},
    {{58, 72}, [] { DrawAddressSlot(8); }},
    {{59, 72}, [] { DrawAddressSlot(9); }},
    {{60, 72}, [] { DrawAddressSlot(10); }},
    {{61, 72}, [] { DrawAddressSlot(11); }},
    {{62, 72}, [] { DrawAddressSlot(12); }},
    {{63, 72}, [] { DrawAddressSlot(13); }},
    {{72, 90}, TurnSpiral},
    {{90, 100}, DrawGreetings},
    {{92, 100}, DrawFirstGreetedName},
    {{94, 100}, DrawSecondGreetedName},
    {{100, kForever}, DrawEndTitle},
};

} // namespace

void RunSchedule(float t) {
    for (const ScheduleEntry& entry : kSchedule) {
        if (IsActive(entry.window, t)) {
            entry.run();
        }
    }
}
