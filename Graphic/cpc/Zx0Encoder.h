#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Zx0Format.h"

// Where the encoder looks for a literal between two copies from one offset
// (the second a "last offset" copy): at every offset, or at every offset
// while that stays cheap and otherwise only at offsets up to 1,024 back and
// near those its best copies have used. On a dark screen, where every zero
// repeats at thousands of offsets, Bounded takes less than half the time for
// a stream at most a few dozen bytes longer.
enum class Zx0Search { AllOffsets, Bounded };

// The ZX0 stream of data (see Zx0Format.h) with the fewest bits the encoder
// finds: a dynamic programme over the positions that follows, at every offset
// back to kZx0MaxOffset, the runs of bytes repeating there (as bits, an
// offset a bit). A new-offset copy
// starts wherever in its run the parse is cheapest, a "last offset" copy
// follows a literal run kept from the offset's previous copy, and literal
// runs start after the cheapest copy of each length class. The stream decodes
// to exactly data. Raises an Exception for empty data, which the format
// cannot hold (its first block is a literal of at least one byte).
std::vector<std::uint8_t> Zx0_Compress(std::span<const std::uint8_t> data, Zx0Version version = Zx0Version::Current,
                                       Zx0Search search = Zx0Search::Bounded);
