#pragma once

#include <vector>

#include "InkChoice.h"
#include "Picture.h"
#include "ScreenMode.h"
#include "dither/Dithers.h"

// The automatic ink choice for any screen mode and dither: the set of
// mode.inkCount different CPC colours whose result, by the dither in use,
// looks closest to the source. Inks can be kept; the search picks the others.
struct Mode_Ink_Choice {
    // Colour numbers (0..26) of inks 0 .. mode.inkCount - 1.
    std::vector<int> numbers;
    // The measure of the chosen inks' result.
    double error = 0;
    // Stopped by the cancel flag: numbers and error mean nothing.
    bool cancelled = false;
};

// kept has mode.inkCount entries, each a colour number or kChooseInk. source
// is the picture to convert (24-bit), map its local-contrast map, a, b, c the
// sliders as the dither gets them. Raises an Exception when kept has the
// wrong length or a kept number is not a colour.
Mode_Ink_Choice Choose_Mode_Inks(TPicture& source, const TPicture& map, const std::vector<int>& kept,
                                 TDither dither, const ScreenMode& mode, int a, int b, int c,
                                 const Ink_Search_Control& control);
