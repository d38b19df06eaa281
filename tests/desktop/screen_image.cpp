#include "screen_image.h"

#include <algorithm>
#include <fstream>

#include "show_process.h"

bool RgbImage::IsBlack(int x, int y) const {
    const std::size_t at = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    return rgb[at] == 0 && rgb[at + 1] == 0 && rgb[at + 2] == 0;
}

RgbImage ReadPpm(const std::string& path) {
    RgbImage image;
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    file >> magic >> image.width >> image.height >> maxValue;
    if (!file || magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) {
        return {};
    }
    file.get(); // the one white-space character before the pixels
    image.rgb.resize(std::size_t(image.width) * std::size_t(image.height) * 3);
    file.read(reinterpret_cast<char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
    if (file.gcount() != std::streamsize(image.rgb.size())) {
        return {};
    }
    return image;
}

RgbImage ScreenShot(const std::string& path) {
    RunCommand("/usr/bin/import -window root -depth 8 'ppm:" + path + "' 2>&1");
    return ReadPpm(path);
}

PixelBox NonBlackBox(const RgbImage& image, const PixelBox& region) {
    PixelBox box;
    const int right = std::min(region.right, image.width - 1);
    const int bottom = std::min(region.bottom, image.height - 1);
    for (int y = std::max(region.top, 0); y <= bottom; ++y) {
        for (int x = std::max(region.left, 0); x <= right; ++x) {
            if (image.IsBlack(x, y)) {
                continue;
            }
            if (box.Empty()) {
                box = {x, y, x, y};
            }
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

bool RowsBlack(const RgbImage& image, int top, int bottom) {
    return NonBlackBox(image, {0, top, image.width - 1, bottom}).Empty();
}
