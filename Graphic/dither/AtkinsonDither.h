#pragma once

#include <memory>

#include "DitherRun.h"
#include "ScreenMode.h"

// Atkinson's error diffusion in linear light: 1/8 of a pixel's error to each
// of six pixels (two ahead, three below, one two rows below), so 3/4 of it is
// passed on and the rest dropped: less bleeding, crisper edges. Rows run left
// to right. Each pixel takes the ink nearest in OKLab.
// cpcLevels: the source shows CPC colours and is read as them (SliderLight).
std::unique_ptr<TDitherRun> Start_Atkinson_Dither(const InkList& inks, int a, int b, int c,
                                     bool cpcLevels = false);
