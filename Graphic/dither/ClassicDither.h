#pragma once

#include <memory>

#include "DitherRun.h"
#include "Engine.h"
#include "Picture.h"
#include "ScreenMode.h"

// The classic dither in any mode, made ready for its inks and sliders. Mode
// 1 is CPC_Mode1_Dither exactly; the other modes apply its rule
// (Dither_Entry over the 2x2 threshold) to their inks sorted by level, 16 or
// 2 levels instead of 4.
std::unique_ptr<TDitherRun> Start_Classic_Dither(const InkList& inks, int a, int b, int c,
                                                 const ScreenMode& mode);

// CPC_Mode1_Dither's rows, for a run (defined beside it).
std::unique_ptr<TDitherRun> Start_Mode1_Dither(const InkTable& inks, int a, int b, int c);

// The classic rule over any number (1..16) of inks, as Classic_Dither applies
// it in modes 0 and 2. With four inks it gives CPC_Mode1_Dither's result.
std::unique_ptr<TDitherRun> Start_Classic_Level_Dither(const InkList& inks, int a, int b, int c);
// The same over a whole picture; result comes 24-bit and of the source's size.
void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c);
