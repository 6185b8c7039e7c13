#pragma once

#include <optional>
#include <vector>

#include "Picture.h"

// The inks of a sheet drawn in CPC colours: the colour numbers of its pixels
// in order of first appearance (rows top to bottom, each left to right),
// followed by the lowest unused numbers up to inkCount. nullopt when a pixel
// is no CPC colour (each channel within 8 of 0, 128 or 255) or the sheet has
// more than inkCount colours; then the inks are searched for as for any picture.
std::optional<std::vector<int>> Sprite_Sheet_Colour_Numbers(const TPicture& sheet, int inkCount);
