// How the show's picture sits in the video frame: its own 4:3 view centred
// with black bars, or (--fill) a view whose aspect follows the frame, as a
// resized window gets. The grid's lines keep their look at any size.
#pragma once

struct PictureBox {
    int x, y, width, height; // pixels, origin at the bottom left
};

PictureBox FitPicture(int frameWidth, int frameHeight, bool fill);

// Sets the show's viewport and projection for `box` through the show's own
// view code, moved by (jitterX, jitterY) pixels, and the grid's line width.
void SetUpShowView(PictureBox box, double jitterX, double jitterY);

// Sub-pixel offsets of `passes` jittered passes, in pixels, centred on 0.
void PassJitter(int pass, int passes, double& x, double& y);
