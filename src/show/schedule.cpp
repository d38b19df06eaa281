#include "show/schedule.h"

#include "show/show_window.h"

namespace {

struct ScheduleEntry {
    ShowWindow window;
    void (*run)();
};

// Tested top to bottom every frame. Nothing saves the modelview matrix, so a
// rotation made by one entry turns everything after it in the same frame; with
// no depth test, later entries paint over earlier ones.
constexpr ScheduleEntry kSchedule[] = {
    {{0, 0}, [] {}}, // placeholder until the first act is drawn
};

} // namespace

void RunSchedule(float t) {
    for (const ScheduleEntry& entry : kSchedule) {
        if (IsActive(entry.window, t)) {
            entry.run();
        }
    }
}
