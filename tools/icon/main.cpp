// Makes the desktop icon from a frame of the show (drawn off screen by the
// capture program): the spinning cube group, cut out and scaled to each size
// of the icon theme.
//   tromvisk_icon FRAME.png NAME OUTDIR
// writes OUTDIR/NxN/apps/NAME.png for every size.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "png_file.h"
#include "rgb_image.h"

namespace {

constexpr int kIconSizes[] = {48, 64, 128, 256, 512};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: tromvisk_icon FRAME.png NAME OUTDIR\n"
                 "Writes OUTDIR/NxN/apps/NAME.png (N = 48, 64, 128, 256, 512): the show's cube\n"
                 "group cut out of FRAME.png, a frame of the show.\n");
}

bool MakeDirectories(const std::string& path, std::string& error) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            error = part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc != 4 || argv[1][0] == '-') {
        PrintUsage(stderr);
        return 2;
    }
    const std::string framePath = argv[1];
    const std::string name = argv[2];
    const std::string outdir = argv[3];

    RgbImage frame;
    std::string error;
    if (!ReadPng(framePath, frame, error)) {
        std::fprintf(stderr, "tromvisk_icon: %s\n", error.c_str());
        return 1;
    }
    const SquareRegion square = CubeGroupSquare(frame);
    if (square.side == 0) {
        std::fprintf(stderr, "tromvisk_icon: no cube group in the frame\n");
        return 1;
    }
    const RgbImage cut = Crop(frame, square);
    for (int size : kIconSizes) {
        const std::string folder =
            outdir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        if (!MakeDirectories(folder, error) ||
            !WritePng(folder + "/" + name + ".png", ScaleDown(cut, size, size), error)) {
            std::fprintf(stderr, "tromvisk_icon: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
