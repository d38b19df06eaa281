// Makes the desktop icon from a frame of the show: the spinning cube group,
// cut out and scaled to each size of the icon theme.
//   tromvisk_icon [--frame FRAME.png] NAME OUTDIR
// writes OUTDIR/NxN/apps/NAME.png for every size. Without --frame the frame
// is drawn here by the show's own code, off screen.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "png_file.h"
#include "rgb_image.h"
#include "show_snapshot.h"

namespace {

constexpr int kIconSizes[] = {48, 64, 128, 256, 512};

// The cube group with its inner cube and four corner cubes, as it turns at
// half a minute. Drawn at four times the show's size, so that even the
// largest icon is an average over several samples a pixel.
constexpr SnapshotRequest kCubeGroup = {30.0f, 800, 3200, 2400};

void PrintUsage(std::FILE* to) {
    std::fprintf(
        to, "usage: tromvisk_icon [--frame FRAME.png] NAME OUTDIR\n"
            "Writes OUTDIR/NxN/apps/NAME.png (N = 48, 64, 128, 256, 512): the show's cube\n"
            "group cut out of FRAME.png, or of a frame drawn off screen by the show's code.\n");
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
    std::string framePath;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--frame") == 0) {
        framePath = argv[2];
        first = 3;
    }
    if (argc - first != 2 || argv[first][0] == '-') {
        PrintUsage(stderr);
        return 2;
    }
    const std::string name = argv[first];
    const std::string outdir = argv[first + 1];

    RgbImage frame;
    std::string error;
    const bool ok = framePath.empty() ? TakeShowSnapshot(kCubeGroup, frame, error)
                                      : ReadPng(framePath, frame, error);
    if (!ok) {
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
