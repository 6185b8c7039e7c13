#pragma once

#include <memory>
#include <vector>

#include "DitherRun.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// Positional dithering for any inks: each pixel takes the mix of two inks
// that best shows its colour (MixChooser, in size x size parts), and the
// Bayer matrix of that size (1, 2, 4 or 8) decides which of the two the
// pixel shows, so a flat area becomes a regular pattern and one pixel's
// change never moves another's. Size 1 gives every pixel its nearest ink.
// levels: how the source's bytes are read (SliderLight).
std::unique_ptr<TDitherRun> Start_Ordered_Dither(const InkList& inks, int a, int b, int c,
                                                 int size, TLevelReading levels = TLevelReading::Bytes);

// The Bayer matrix of size (1, 2, 4 or 8) as size x size ranks
// 0..size^2 - 1, row by row: a pixel at (x, y) shows a mix's high ink when
// its rank, at (x % size, y % size), is below the mix's share.
std::vector<int> Bayer_Matrix(int size);
