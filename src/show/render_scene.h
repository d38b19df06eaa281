// One frame of the show.
#pragma once

// Clears, places the camera for show time t and draws what the schedule holds.
void DrawShowFrame(float t);

// Draws and presents one frame at the current show time, or ends the show.
void RenderScene();
