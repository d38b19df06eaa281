// Ctrl-C and SIGTERM as a request to stop: the capture checks it once a frame
// and leaves cleanly, with the shell's status for the signal (128 + its number).
#pragma once

void CatchStopSignals();

// The signal that asked to stop, or 0.
int StopSignal();
