// Serialises a module to the bytes of an XM 1.04 file.
#pragma once

#include <cstdint>
#include <vector>

#include "xm_module.h"

// Throws std::runtime_error when the module breaks a limit of the format.
std::vector<uint8_t> WriteXm(const XmModule& module);
