#include "rgb_image.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCubeBlueThreshold = 96;
constexpr double kMarginShare = 0.12; // of the group's larger extent, on each side

bool IsCubePixel(const std::uint8_t* rgb) {
    return rgb[2] >= kCubeBlueThreshold;
}

// Weights of the source samples covered by each target sample along one axis.
struct Footprint {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Footprint> Footprints(int source, int target) {
    std::vector<Footprint> result(static_cast<std::size_t>(target));
    const double scale = double(source) / double(target);
    for (int i = 0; i < target; ++i) {
        const double begin = i * scale;
        const double end = (i + 1) * scale;
        Footprint& footprint = result[static_cast<std::size_t>(i)];
        footprint.first = int(std::floor(begin));
        const int last = std::min(source - 1, int(std::ceil(end)) - 1);
        for (int s = footprint.first; s <= last; ++s) {
            const double covered = std::min(end, double(s + 1)) - std::max(begin, double(s));
            footprint.weights.push_back(covered / scale);
        }
    }
    return result;
}

} // namespace

SquareRegion CubeGroupSquare(const RgbImage& image) {
    int left = image.width, right = -1, top = image.height, bottom = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (IsCubePixel(&image.pixels[(std::size_t(y) * std::size_t(image.width) + x) * 3])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    const int extent = std::max(right - left + 1, bottom - top + 1);
    int side = extent + 2 * int(std::lround(extent * kMarginShare));
    side = std::min({side, image.width, image.height});
    const int centreX = (left + right + 1) / 2;
    const int centreY = (top + bottom + 1) / 2;
    SquareRegion region;
    region.side = side;
    region.left = std::clamp(centreX - side / 2, 0, image.width - side);
    region.top = std::clamp(centreY - side / 2, 0, image.height - side);
    return region;
}

RgbImage Crop(const RgbImage& image, const SquareRegion& region) {
    RgbImage result;
    result.width = region.side;
    result.height = region.side;
    result.pixels.resize(std::size_t(region.side) * std::size_t(region.side) * 3);
    for (int y = 0; y < region.side; ++y) {
        const auto from = image.pixels.begin() +
                          std::ptrdiff_t((std::size_t(region.top + y) * std::size_t(image.width) +
                                          std::size_t(region.left)) *
                                         3);
        std::copy(from, from + std::ptrdiff_t(region.side) * 3,
                  result.pixels.begin() + std::ptrdiff_t(y) * region.side * 3);
    }
    return result;
}

RgbImage ScaleDown(const RgbImage& image, int width, int height) {
    const std::vector<Footprint> columns = Footprints(image.width, width);
    const std::vector<Footprint> rows = Footprints(image.height, height);
    // Across first, into a row buffer of full height, then down.
    std::vector<double> across(std::size_t(width) * std::size_t(image.height) * 3, 0.0);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Footprint& footprint = columns[std::size_t(x)];
            for (int c = 0; c < 3; ++c) {
                double sum = 0.0;
                for (std::size_t k = 0; k < footprint.weights.size(); ++k) {
                    const std::size_t source =
                        (std::size_t(y) * std::size_t(image.width) + footprint.first + k) * 3 + c;
                    sum += footprint.weights[k] * image.pixels[source];
                }
                across[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3 + c] = sum;
            }
        }
    }
    RgbImage result;
    result.width = width;
    result.height = height;
    result.pixels.resize(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const Footprint& footprint = rows[std::size_t(y)];
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                double sum = 0.0;
                for (std::size_t k = 0; k < footprint.weights.size(); ++k) {
                    sum += footprint.weights[k] *
                           across[((footprint.first + k) * std::size_t(width) + x) * 3 + c];
                }
                result.pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3 + c] =
                    std::uint8_t(std::clamp(std::lround(sum), 0L, 255L));
            }
        }
    }
    return result;
}
