#pragma once

#include <memory>

#include "DitherRun.h"
#include "ScreenMode.h"

// No dither: each pixel takes the ink nearest its colour in OKLab, after the
// sliders.
// cpcLevels: the source shows CPC colours and is read as them (SliderLight).
std::unique_ptr<TDitherRun> Start_Nearest_Dither(const InkList& inks, int a, int b, int c,
                                                 bool cpcLevels = false);
