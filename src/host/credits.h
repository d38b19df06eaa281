// The credits the show prints before it opens its window.
#pragma once

// The credit lines in order, and how many there are.
extern const char* const kCredits[];
extern const int kCreditLineCount;

// Writes the credits to standard output, a line at a time.
void PrintCredits();
