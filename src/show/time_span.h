// A stretch of show time: open at both ends, or open-ended.
#pragma once

#include <cmath>

constexpr float kForever = INFINITY;

struct ShowWindow {
    float from; // seconds, exclusive
    float to;   // seconds, exclusive; kForever for no end
};

inline bool IsActive(ShowWindow window, float t) {
    return window.from < t && t < window.to;
}
