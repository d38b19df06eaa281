// What the capture tells the person waiting: a progress bar on a terminal,
// one summary line otherwise, nothing with --quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class Progress {
  public:
    Progress(std::int64_t frames, bool quiet);

    // After frame `done` (1-based) of the capture, showing `showSeconds`.
    void Update(std::int64_t done, double showSeconds);
    // The summary line, once the output is in place.
    void Finish(const std::string& summary);
    // Leaves the bar's line before an error line.
    void Abandon();

  private:
    double Elapsed() const;

    std::int64_t frames_;
    bool quiet_;
    bool terminal_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
};
