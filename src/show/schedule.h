// The schedule: what the show draws, and when.
#pragma once

// Runs, in their fixed order, the entries whose spans hold t.
void RunSchedule(float t);

// Runs only what those entries change of the turns, in the same order and
// drawing nothing: afterwards the turns stand as after RunSchedule(t).
void RunScheduleMotion(float t);
