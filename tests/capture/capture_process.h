// Runs the real tromvisk-capture as a child process, as a user runs it, with
// standard error captured and, when asked, a signal sent mid-way.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct CaptureRun {
    int exitCode = -1; // -1 when a signal ended it
    int signal = 0;
    std::string errors; // standard error
};

struct CaptureChild {
    pid_t pid = -1;
    std::string errorsPath;
};

// `environment` entries "NAME=value" are added to the test's own.
CaptureChild StartCapture(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment = {});
CaptureRun WaitCapture(CaptureChild& child);
CaptureRun RunCaptureBinary(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& environment = {});

// A fresh empty folder under the temporary directory, and its removal.
std::string FreshFolder(const std::string& stem);
void RemoveFolder(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& path);

std::string ReadWhole(const std::string& path);
void WriteWhole(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Runs a shell command and returns its standard output; fails the test on a
// non-zero status.
std::string Shell(const std::string& command);
std::string Quoted(const std::string& text);
