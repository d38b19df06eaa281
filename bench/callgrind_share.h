// Reads one callgrind dump and splits its instructions by the object that ran
// them: our own code, the GL library and driver, the media layer and X, and
// the rest of the system.
#pragma once

#include <string>

struct InstructionShare {
    double total = 0;
    double ours = 0;   // the benchmark executable: the show's code and the frame loop
    double gl = 0;     // libGL, libGLX, GLU, the Mesa driver and its JIT-compiled code
    double media = 0;  // SDL 1.2 compatibility layer, SDL2, X libraries
    double system = 0; // C and C++ runtime, libm, loader
    std::string label; // the dump's trigger, e.g. "scene 3"
};

// `ourObject` is the executable's path as valgrind names it.
bool ReadCallgrindDump(const std::string& path, const std::string& ourObject,
                       InstructionShare& share);
