#pragma once

#include <memory>

#include "DitherRun.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// No dither: each pixel takes the ink nearest its colour in OKLab, after the
// sliders.
// levels: how the source's bytes are read (SliderLight).
std::unique_ptr<TDitherRun> Start_Nearest_Dither(const InkList& inks, int a, int b, int c,
                                                 TLevelReading levels = TLevelReading::Bytes);
