#include "capture/music_location.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace {

// Relative to the program's own folder.
constexpr const char* kMusicPlaces[] = {"demo.xm", "../share/tromvisk/demo.xm"};

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.find_last_of('/'));
}

} // namespace

std::string DefaultMusicPath() {
    const std::string folder = ProgramFolder();
    std::string looked;
    for (const char* place : kMusicPlaces) {
        const std::string path = folder + "/" + place;
        struct stat status;
        if (stat(path.c_str(), &status) == 0) {
            return path;
        }
        looked += (looked.empty() ? "" : " or ") + path;
    }
    throw std::runtime_error("no music: found no demo.xm at " + looked +
                             " (give --music FILE, or --no-music)");
}
