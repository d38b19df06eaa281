// The frame loop: drain the events, then draw one frame, until the show ends
// or the viewer quits.
#pragma once

// Returns after a quit request from the window system, once one more frame is drawn.
// A resize to the size the surface has is skipped. A mode that keeps going
// back to sizes it had moments before in the same drain ends the show with an
// error line, or, once a quit is requested, ends the drain.
void MainLoop();

// Draws and presents one frame at the current show time, or ends the show.
void RenderScene();
