#include "png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

bool ReadPng(const std::string& path, RgbImage& image, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = path + ": " + png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image.width = int(png.width);
    image.height = int(png.height);
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        error = path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const RgbImage& image, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGB;
    const std::string partial = path + ".partial";
    if (!png_image_write_to_file(&png, partial.c_str(), 0, image.pixels.data(), 0, nullptr)) {
        error = path + ": " + png.message;
        std::remove(partial.c_str());
        return false;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
