#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Zx0Format.h"

// The bytes a ZX0 stream (see Zx0Format.h) decodes to, at most maxBytes of
// them. Raises an Exception saying what is wrong when the stream ends early,
// copies from before its first byte, would give more than maxBytes, or has
// bytes after its end marker.
std::vector<std::uint8_t> Zx0_Decompress(std::span<const std::uint8_t> stream, Zx0Version version,
                                         std::size_t maxBytes);
