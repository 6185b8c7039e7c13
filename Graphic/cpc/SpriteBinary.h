#pragma once

#include <cstdint>
#include <vector>

#include "SpriteCells.h"

// The cells back to back with no header: each cell's rows in their stored
// order, each row's bytes (or mask and data pairs) as the cutter left them.
std::vector<std::uint8_t> Sprite_Binary(const SpriteCells& sheet);
