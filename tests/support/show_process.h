// Runs the real show binary as a child process for end-to-end tests: its own
// working directory, chosen environment, captured output and a call trace
// from the test-only clock shim.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ShowProcess {
    pid_t pid = -1;
    std::string dir; // working directory, removed by StopShow
    std::string stdoutPath, stderrPath, tracePath;
    int status = -1; // as from waitpid, once ended
};

// Where the show's standard output goes, besides a descriptor of the test's.
constexpr int kOutputToFile = -1; // stdoutPath
constexpr int kOutputClosed = -2; // as with `>&-`

struct ShowOptions {
    bool withMusic = true; // copy the built demo.xm into the working directory
    // When set, called with the working directory instead, to put there what the test wants.
    std::function<void(const std::string& dir)> prepare;
    bool preloadShim = true;
    const char* binary = TROMVISK_BINARY; // the show's executable
    // Variables to set ("NAME", "value") and to remove ("NAME", nullptr-like "").
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
    int stdoutDescriptor = kOutputToFile;
    long addressSpaceBytes =
        0; // a limit on the show's address space, as `prlimit --as`; 0 for none
};

ShowProcess StartShow(const ShowOptions& options);

// Waits up to timeoutSeconds for the show to end; kills it and returns false on time-out.
bool WaitForEnd(ShowProcess& show, double timeoutSeconds);

// Ends the show if still running, and removes its working directory.
void StopShow(ShowProcess& show);

std::string ReadFile(const std::string& path);
std::vector<std::string> TraceLines(const ShowProcess& show);

// The generated demo.xm, as bytes.
std::string BuiltMusic();
void WriteFile(const std::string& path, const std::string& bytes);

// Waits until the trace holds at least `count` lines equal to `line`.
bool WaitForTraceLine(const ShowProcess& show, const std::string& line, int count,
                      double timeoutSeconds);

// Runs a shell command, returns its standard output (trailing newline removed).
std::string RunCommand(const std::string& command);

// The X window of the show (by process id and caption), or "" after the time-out.
std::string FindShowWindow(const ShowProcess& show, double timeoutSeconds);

// The show's resident memory in kilobytes, or -1 once it is gone.
long ResidentKilobytes(const ShowProcess& show);

int ExitCode(const ShowProcess& show);   // -1 unless it exited normally
int TermSignal(const ShowProcess& show); // 0 unless a signal ended it
