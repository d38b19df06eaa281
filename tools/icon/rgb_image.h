// An 8-bit RGB picture in rows from the top, and the steps that turn a frame
// of the show into an icon: find the cube group, cut a square round it, scale.
#pragma once

#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3, top row first
};

struct SquareRegion {
    int left = 0;
    int top = 0;
    int side = 0;
};

// The square round the cube group (every pixel with a strong blue part: the
// blue, cyan and magenta cubes; the grid is green), with a margin, kept
// inside the picture. Returns a side of 0 when no cube is in the picture.
SquareRegion CubeGroupSquare(const RgbImage& image);

RgbImage Crop(const RgbImage& image, const SquareRegion& region);

// Scales down by averaging the source area under each target pixel, so thin
// lines fade instead of flickering in and out.
RgbImage ScaleDown(const RgbImage& image, int width, int height);
