#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Zx0Format.h"

// The ZX0 stream of data (see Zx0Format.h) with the fewest bits the encoder
// finds: a dynamic programme over every position and every offset back to
// kZx0MaxOffset, keeping for each offset its best block ending here and the
// literal run that could come back to it. The stream decodes to exactly
// data. Raises an Exception for empty data, which the format cannot hold
// (its first block is a literal of at least one byte).
std::vector<std::uint8_t> Zx0_Compress(std::span<const std::uint8_t> data, Zx0Version version = Zx0Version::Current);
