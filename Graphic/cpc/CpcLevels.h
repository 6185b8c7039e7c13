#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "Picture.h"

// Art drawn in a paint program shows the CPC's three channel intensities as
// 0, 128 and 255 or as 0, 127 and 254 (the program's own inks), give or take
// a few levels of rounding. Such a picture is read as the CPC colours it
// shows, so a dither never builds a pattern out of a one-level difference.

// A channel byte this close to 0, 128 or 255 (so also to 127 and 254) is
// that CPC intensity.
inline constexpr int kCpcLevelTolerance = 8;

// The CPC intensity (0..2) of a channel byte, or -1 when it is none.
int Cpc_Intensity(std::uint8_t value);

// True when every channel of every pixel of a 24-bit picture is a CPC intensity.
bool Shows_Cpc_Levels(const TPicture& source);

// The byte of the program's ink level for a CPC intensity's byte (0, 127 or
// 254); value itself when it is none.
std::uint8_t Cpc_Level_Byte(std::uint8_t value);

// The colour numbers of a 24-bit picture drawn in CPC colours, in order of
// first appearance (rows top to bottom, each left to right); nullopt when a
// pixel is no CPC colour or the picture has more than limit colours.
std::optional<std::vector<int>> Cpc_Colours_Of(const TPicture& picture, std::size_t limit);
