#pragma once

#include <memory>

#include "DitherRun.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// Floyd-Steinberg error diffusion, serpentine, in linear light: 7/16 of a
// pixel's error to the next pixel, 3/16, 5/16 and 1/16 to the three below;
// each pixel takes the ink nearest in linear light.
// levels: how the source's bytes are read (SliderLight).
std::unique_ptr<TDitherRun> Start_Floyd_Steinberg_Dither(const InkList& inks, int a, int b, int c,
                                     TLevelReading levels = TLevelReading::Bytes);
