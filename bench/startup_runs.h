// The real show binary and the floor program started again and again under
// the start-up probe library, timed from the moment the benchmark starts them.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ChildRun {
    bool ended = false;                  // exited with status 0 before the time-out
    std::map<std::string, double> probe; // what the probe wrote, as numbers
    long peakResidentKb = 0;
};

struct ProbePaths {
    std::string show, floor, probeLibrary;
};

// Starts `program` in `workDir` with the probe preloaded and the silent audio
// driver, waits for it to end; `extraEnvironment` holds "NAME=value" entries.
ChildRun RunUnderProbe(const ProbePaths& paths, const std::string& program,
                       const std::string& workDir, const std::vector<std::string>& extraEnvironment,
                       double timeoutSeconds);

// A start-up figure in milliseconds: one stretch between two probe marks.
struct StartupPhase {
    const char* name;
    std::vector<const char*> from; // the first mark present is taken
    const char* to;
    bool showOnly;
};

const std::vector<StartupPhase>& StartupPhases();

// The phase's length in this run, or a negative value when a mark is missing.
double PhaseMs(const ChildRun& run, const StartupPhase& phase);

// The show time on the clock when the first frame was presented, in ms.
double ClockAtFirstFrameMs(const ChildRun& run);

double Median(std::vector<double> values);
