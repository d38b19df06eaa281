// Frames of the show drawn and presented for real in the benchmark's own
// window, the same way the show's frame loop does it, and timed one by one.
#pragma once

#include <string>
#include <vector>

struct Scene {
    const char* name;
    float showTime; // seconds; negative for the empty frame
};

// The empty frame (clear and swap) first, then one show time in every act.
const std::vector<Scene>& BenchScenes();

struct FrameCost {
    double medianMs;
    double p95Ms;
};

struct TimingPlan {
    int warmUpFrames;   // per scene and mode, before anything is timed
    int rounds;         // both modes and all scenes take turns this many times...
    int framesPerRound; // ...drawing this many frames at each turn
};

// One FrameCost per scene of BenchScenes(), in each mode.
struct ModeCosts {
    std::vector<FrameCost> fullScreen, windowed;
    bool toggled; // every switch between the modes took effect
};

// Heap allocations per frame by who asked for them: our code (the show's
// code and this benchmark), the GL library and driver, the media layer and X,
// or neither (no object found on the stack).
struct AllocationOrigins {
    double ours, gl, media, other;
};

// Allocations per frame over all acts (not the empty frame), counted after
// each act has been drawn for a while (steady state), on every thread.
struct AllocationCounts {
    AllocationOrigins draw;   // in DrawShowFrame
    AllocationOrigins swap;   // in SDL_GL_SwapBuffers and glFinish
    AllocationOrigins events; // in the event drain
    double worstActPass;      // most per frame-loop pass in one act
    double emptyPass;         // per pass of the empty frame
};

struct BenchWindow {
    std::string renderer, glVersion, videoDriver;
    int desktopWidth, desktopHeight;
    int windowWidth, windowHeight;
    bool fullScreen;
};

// Opens the show's window with the show's own start-up calls (full screen).
BenchWindow OpenBenchWindow();

// Times every scene, full screen and windowed taking turns round by round;
// leaves the window full screen.
ModeCosts MeasureFrameCosts(const TimingPlan& plan);

// `ourObject` is this executable's path.
AllocationCounts CountAllocations(int warmUpFrames, int countedFrames,
                                  const std::string& ourObject);

// Run under callgrind: one dump of `frames` frames per scene, labelled by scene index.
void ProfileScenes(int frames);
