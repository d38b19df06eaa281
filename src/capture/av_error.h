// FFmpeg's error codes as one line of text.
#pragma once

#include <stdexcept>
#include <string>

std::string AvErrorText(int code);

// Throws std::runtime_error "what: reason" when code is negative.
void CheckAv(int code, const std::string& what);
