// One frame of the show.
#pragma once

// Clears, places the camera for show time t and draws what the schedule holds.
void DrawShowFrame(float t);

// The same, leaving the turns as they were: for a show played at a steady
// live rate, where a frame's own motion runs at the next seek and a frame
// drawn twice shows the same moment.
void DrawShowFrameKeepingTurns(float t);
