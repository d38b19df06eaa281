// The frame loop: drain the events, then draw one frame, until the show ends
// or the viewer quits.
#pragma once

// Returns after a quit request from the window system, once one more frame is drawn.
void MainLoop();

// Draws and presents one frame at the current show time, or ends the show.
void RenderScene();
