#pragma once

#include <vector>

#include "CpcPalette.h"
#include "ModeInkChoice.h"

// The window's one entry to the automatic ink search for every palette, as
// its automatic inks and Compare call it: the mode's inks chosen from the
// palette's colours for the picture. kept and the result's numbers are colour
// indices of the palette (kChooseInk for an ink to choose); the other
// parameters are Choose_Mode_Inks's.
//
// With cpc it is Choose_Mode_Inks. With plus the search runs over the CPC's
// 27 colours, each kept CPC+ ink standing as its nearest CPC colour while the
// others are chosen and then given back exactly, and the chosen colours
// become CPC+ colours (Palette_Colour_For): this is the place where a search
// over all 4,096 colours takes over.
Mode_Ink_Choice Choose_Palette_Inks(const Palette& palette, TPicture& source, const TPicture& map,
                                    const std::vector<int>& kept, TDither dither, const ScreenMode& mode, int a,
                                    int b, int c, const Ink_Search_Control& control);
