// Parsers for the words of the control commands: numbers (decimal, or hex with 0x) and status names.
// Each refuses the whole word rather than taking a prefix, so "12x" or "0x1G" is not a number.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

bool ParseU32(const std::string& text, uint32_t* value);
bool ParseI32(const std::string& text, int32_t* value);
bool ParseI16(const std::string& text, int16_t* value);

// True when there are exactly `count` words from `first` on and each is a u32.
bool ParseU32s(const std::vector<std::string>& words, size_t first, size_t count, uint32_t* values);

// "SUCCESS", "TIMEOUT", "NORVIK_STATUS_TIMEOUT" or a number.
bool ParseStatus(const std::string& text, NorvikStatus* status);
