#pragma once

#include "Picture.h"
#include "ScreenMode.h"

// Atkinson's error diffusion in linear light: 1/8 of a pixel's error to each
// of six pixels (two ahead, three below, one two rows below), so 3/4 of it is
// passed on and the rest dropped: less bleeding, crisper edges. Rows run left
// to right. source and result come prepared by Mode_Dither.
void Atkinson_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                     const InkList& inks, int a, int b, int c);
