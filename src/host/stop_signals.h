// Interrupt and termination signals: the media layer turns them into a quit
// request once its video subsystem is up. These keep one that arrives
// earlier, or while the process is already ending, from killing it outright.
#pragma once

// From the start of the process until the media layer has its own handlers.
void HoldStopSignals();
// Delivers any signal held so far to the media layer, as a quit request.
void ReleaseStopSignals();
// Once the process is on its way out: a late signal changes nothing.
void IgnoreStopSignals();
