// Pictures for the desktop tests: a binary PPM read into memory (a root-window
// screenshot or the show's own frame), and where its non-black pixels lie.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top down, three bytes a pixel

    bool IsBlack(int x, int y) const;
};

struct PixelBox {
    int left = -1, top = -1, right = -1, bottom = -1; // inclusive; -1 when empty
    bool Empty() const { return left < 0; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

// Reads a binary 8-bit PPM (P6); an empty image when the file is not one.
RgbImage ReadPpm(const std::string& path);

// The whole screen as it is now, through ImageMagick's import.
RgbImage ScreenShot(const std::string& path);

// The smallest box holding every non-black pixel of the region.
PixelBox NonBlackBox(const RgbImage& image, const PixelBox& region);

// Whether every pixel of the rows [top, bottom] is black.
bool RowsBlack(const RgbImage& image, int top, int bottom);
