#pragma once

#include <memory>

#include "DitherRun.h"
#include "Picture.h"
#include "ScreenMode.h"

// The classic dither in any mode, made ready for its inks (1..16) and
// sliders: the 2x2 level rule of CPC_Mode1_Dither (Dither_Entry over the
// threshold) applied to the inks sorted by level. With mode 1's four inks it
// is CPC_Mode1_Dither exactly, which is defined beside it.
std::unique_ptr<TDitherRun> Start_Classic_Dither(const InkList& inks, int a, int b, int c);

// The same over a whole picture; result comes 24-bit and of the source's size.
void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c);
