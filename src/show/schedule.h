// The schedule: what the show draws, and when.
#pragma once

// Runs, in their fixed order, the entries whose windows hold t.
void RunSchedule(float t);
