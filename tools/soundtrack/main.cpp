// Writes the show's soundtrack, demo.xm, to the path given on the command line.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "song.h"
#include "xm_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const std::string partial = path + ".partial";
    try {
        const std::vector<uint8_t> bytes = WriteXm(BuildSong());
        // Written aside and renamed, so a failed run never leaves a file that
        // looks up to date.
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out || std::rename(partial.c_str(), path.c_str()) != 0) {
            std::fprintf(stderr, "soundtrack: cannot write %s\n", path.c_str());
            std::remove(partial.c_str());
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soundtrack: %s\n", error.what());
        return 1;
    }
    return 0;
}
