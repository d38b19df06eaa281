// A frame of the live show drawn by its own code off screen (the media
// layer's off-screen driver: EGL, no display needed) and read back.
#pragma once

#include <string>

#include "rgb_image.h"

struct SnapshotRequest {
    float showSeconds = 0.0f;
    int frame = 1; // frames drawn at that time: the turns advance once a frame
    int width = 800;
    int height = 600;
};

// Returns false, with a reason in `error`, when no GL context can be had.
bool TakeShowSnapshot(const SnapshotRequest& request, RgbImage& image, std::string& error);
