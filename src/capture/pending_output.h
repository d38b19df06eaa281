// Nothing half-written: the capture writes beside OUTPUT under a temporary
// name and puts it in place only once it is complete. Until then an earlier
// file of that name stays as it was; if the capture stops, the temporary
// file goes.
#pragma once

#include <string>

#include "capture/output_format.h"

class PendingOutput {
  public:
    // Creates the temporary file (or folder) now, so that an unwritable place
    // fails before any work. Throws std::runtime_error.
    PendingOutput(const OutputName& output, bool folder);
    ~PendingOutput(); // removes what was not committed
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // Where to write: the file, or the folder the frames and music go into.
    const std::string& Path() const { return temporary_; }

    // Puts the finished output in place of OUTPUT.
    void Commit();

  private:
    void RemoveTemporary();

    std::string output_;
    std::string temporary_;
    bool folder_;
    bool committed_ = false;
};
