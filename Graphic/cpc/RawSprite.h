#pragma once

#include <cstdint>
#include <vector>

#include "Picture.h"

// A raw sprite: the four-ink result packed into mode 1 bytes, row after row
// from the top, (width + 3) / 4 bytes a row, with no header. Pixels past a
// row's end in its last byte are ink 0. Any size; an empty picture gives no
// bytes.
std::vector<std::uint8_t> Raw_Sprite(const TPicture& result, const InkTable& inks);

// Where a raw sprite with a header loads unless told otherwise.
inline constexpr int kRawSpriteLoadAddress = 0x4000;
