// The credits the show prints before it opens its window.
#pragma once

// Writes the credits to standard output, a line at a time.
void PrintCredits();
