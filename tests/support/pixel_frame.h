// Frames of the show rendered for real (on the test's X display, Mesa's
// software renderer) and read back by pixel before they are presented.
#pragma once

#include <cstdint>

struct Pixel {
    std::uint8_t red, green, blue;
};

inline bool operator==(const Pixel& a, const Pixel& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator!=(const Pixel& a, const Pixel& b) {
    return !(a == b);
}

struct WindowPoint {
    int x, y; // pixels, origin at the bottom left
    bool visible;
};

// Opens the show's own window and view, once per test program.
void OpenPixelTestWindow();

// Draws the frame for show time t into the back buffer, without presenting it.
void RenderShowFrameAt(float t);

Pixel PixelAt(int x, int y);

// Where the world point (x, y, z) lands in the window under the camera of
// show time t, with no turn applied.
WindowPoint ProjectAt(float t, double x, double y, double z);

// What the show's colours read back as.
constexpr Pixel kBlack = {0, 0, 0};
constexpr Pixel kBlue = {0, 0, 192};
constexpr Pixel kCyan = {0, 255, 255};
constexpr Pixel kMagenta = {255, 0, 255};
constexpr Pixel kGreen = {0, 255, 0};
