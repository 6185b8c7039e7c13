#pragma once

#include <vector>

#include "CpcPalette.h"
#include "ModeInkChoice.h"

// The automatic ink choice of a palette: the CPC's by Choose_Mode_Inks, the
// CPC+'s by Choose_Plus_Inks. kept and the chosen numbers are colour indices
// of the palette (CpcPalette.h); the arguments are those of both.
Mode_Ink_Choice Choose_Palette_Inks(const Palette& palette, TPicture& source, const TPicture& map,
                                    const std::vector<int>& kept, TDither dither, const ScreenMode& mode, int a,
                                    int b, int c, const Ink_Search_Control& control);
