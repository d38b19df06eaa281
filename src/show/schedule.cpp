#include "show/schedule.h"

#include "show/banners.h"
#include "show/motion.h"
#include "show/show_window.h"

namespace {

struct ScheduleEntry {
    ShowWindow window;
    void (*run)();
    void (*move)(); // what run changes of the turns; null when it changes none
};

// The whole show, tested top to bottom every frame. Nothing saves the
// modelview matrix, so a turn made by one entry turns everything after it in
// the same frame; with no depth test, later entries paint over earlier ones.
constexpr ScheduleEntry kSchedule[] = {
    {{0, 9}, DrawOpeningBanner, nullptr},
    {{9, 47}, SpinCube, AdvanceSpin},
    {{23, 47}, DrawInnerAndCornerCubes, nullptr},
    {{5, 65}, DrawGround, nullptr},
    {{35, kForever}, ResetTilt, ResetTilt},
    {{35, 47}, ReverseSpin, ReverseSpin},
    // The address, typed one glyph a second.
    {{50, 72}, [] { DrawAddressSlot(0); }, nullptr},
    {{51, 72}, [] { DrawAddressSlot(1); }, nullptr},
    {{52, 72}, [] { DrawAddressSlot(2); }, nullptr},
    {{53, 72}, [] { DrawAddressSlot(3); }, nullptr},
    {{54, 72}, [] { DrawAddressSlot(4); }, nullptr},
    {{55, 72}, [] { DrawAddressSlot(5); }, nullptr},
    {{56, 72}, [] { DrawAddressSlot(6); }, nullptr},
    {{57, 72}, [] { DrawAddressSlot(7); }, nullptr},
    {{58, 72}, [] { DrawAddressSlot(8); }, nullptr},
    {{59, 72}, [] { DrawAddressSlot(9); }, nullptr},
    {{60, 72}, [] { DrawAddressSlot(10); }, nullptr},
    {{61, 72}, [] { DrawAddressSlot(11); }, nullptr},
    {{62, 72}, [] { DrawAddressSlot(12); }, nullptr},
    {{63, 72}, [] { DrawAddressSlot(13); }, nullptr},
    {{72, 90}, TurnSpiral, AdvanceSpiral},
    {{90, 100}, DrawGreetings, nullptr},
    {{92, 100}, DrawFirstGreetedName, nullptr},
    {{94, 100}, DrawSecondGreetedName, nullptr},
    {{100, kForever}, DrawEndTitle, nullptr},
};

} // namespace

void RunSchedule(float t) {
    for (const ScheduleEntry& entry : kSchedule) {
        if (IsActive(entry.window, t)) {
            entry.run();
        }
    }
}

void RunScheduleMotion(float t) {
    for (const ScheduleEntry& entry : kSchedule) {
        if (entry.move != nullptr && IsActive(entry.window, t)) {
            entry.move();
        }
    }
}
