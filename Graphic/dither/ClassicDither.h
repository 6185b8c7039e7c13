#pragma once

#include "Picture.h"
#include "ScreenMode.h"

// The classic dither in any mode. Mode 1 is CPC_Mode1_Dither exactly; the
// other modes apply its rule (Dither_Entry over the 2x2 threshold) to their
// inks sorted by level, 16 or 2 levels instead of 4. source and result come
// prepared by Mode_Dither: 24-bit, of one size, not empty.
void Classic_Dither(TPicture& source, TPicture& result, const TPicture& map, const InkList& inks,
                    int a, int b, int c, const ScreenMode& mode);

// The classic rule over any number (1..16) of inks, as Classic_Dither applies
// it in modes 0 and 2. With four inks it gives CPC_Mode1_Dither's result.
void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c);
