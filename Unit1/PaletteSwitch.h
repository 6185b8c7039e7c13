#pragma once

#include "Controls.h"
#include "CpcPalette.h"

// The colour of palette to that an ink of the other palette becomes when the
// window switches palettes. To plus, the ink is read as its CPC colour and
// each intensity becomes the nearest CPC+ level by value: 0, 127 and 254
// become levels 0, 7 (119, 8 away; level 8 is 136, 9 away) and 15 (255).
// To cpc, the nearest CPC colour (Nearest_Palette_Colour), so that a switch
// there and back gives every CPC ink back unchanged.
int Palette_Colour_For(const Palette& to, const Ink& ink);

// The colour a swatch shows for a colour index of the palette: the CPC's
// channels 0, 128 and 255 (Swatch_Colour_Of), a CPC+ colour's 17 x its level.
TColor Palette_Swatch_Colour(const Palette& palette, int colour);
