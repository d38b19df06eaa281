// PNG files through libpng: 8-bit RGB in and out.
#pragma once

#include <string>

#include "rgb_image.h"

// Returns false, with a reason in `error`, when the file cannot be read.
bool ReadPng(const std::string& path, RgbImage& image, std::string& error);

// Writes aside and renames, so a failed run leaves no file that looks finished.
bool WritePng(const std::string& path, const RgbImage& image, std::string& error);
