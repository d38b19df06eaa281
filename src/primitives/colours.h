// The show's named colours, 8 bits a channel.
#pragma once

#include <GL/gl.h>

struct Rgb {
    GLubyte red, green, blue;
};

constexpr Rgb kBlue = {0, 0, 192}; // a darker blue, not full 255
constexpr Rgb kCyan = {0, 255, 255};
constexpr Rgb kMagenta = {255, 0, 255};
constexpr Rgb kYellow = {255, 255, 0};
constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kRed = {255, 0, 0};
constexpr Rgb kGreen = {0, 255, 0};
