// The frame loop: drain the events, then draw one frame.
#pragma once

// Returns after a quit request from the window system, once one more frame is drawn.
void MainLoop();

// Re-creates the video mode at a new size, keeping full screen or window as it is now.
void ResizeVideoMode(int width, int height);
