#pragma once

#include <memory>

#include "DitherRun.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// Atkinson's error diffusion in linear light: 1/8 of a pixel's error to each
// of six pixels (two ahead, three below, one two rows below), so 3/4 of it is
// passed on: less bleeding, crisper edges. Each pixel takes the ink nearest
// in OKLab.
//
// Atkinson's own rule drops the last quarter of every error, and a flat
// dark area a little lighter than black then never gathers enough error to
// show its lighter ink: it comes out flat black, broken by lines of that
// ink where the error at last tips over. Here the last quarter is dropped
// only beyond kAtkinsonKeptError in linear light (per channel): the large
// errors of edges still lose it, so edges stay crisp, while the small ones
// of flat areas are carried whole and those areas keep their light. Odd
// rows run right to left (serpentine), so the grain does not line up into
// diagonal streaks.
inline constexpr float kAtkinsonKeptError = 0.05f;
// levels: how the source's bytes are read (SliderLight).
std::unique_ptr<TDitherRun> Start_Atkinson_Dither(const InkList& inks, int a, int b, int c,
                                     TLevelReading levels = TLevelReading::Bytes);
