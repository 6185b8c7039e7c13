#pragma once

#include "Picture.h"
#include "ScreenMode.h"

// No dither: each pixel takes the ink nearest its colour in OKLab, after the
// sliders. source and result come prepared by Mode_Dither.
void Nearest_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                    const InkList& inks, int a, int b, int c);
