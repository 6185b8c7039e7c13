#pragma once

#include "Picture.h"
#include "ScreenMode.h"

// Floyd-Steinberg error diffusion, serpentine, in linear light: 7/16 of a
// pixel's error to the next pixel, 3/16, 5/16 and 1/16 to the three below.
// source and result come prepared by Mode_Dither.
void Floyd_Steinberg_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                            const InkList& inks, int a, int b, int c);
