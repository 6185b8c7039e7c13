#pragma once

#include <memory>

#include "DitherRun.h"
#include "ErrorDiffusion.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// Atkinson's error diffusion in linear light: 1/8 of a pixel's error to each
// of six pixels (two ahead, three below, one two rows below), so 3/4 of it is
// passed on: less bleeding, crisper edges. Each pixel takes the ink nearest
// in OKLab, or in linear light when the error carried takes its colour past
// a channel's range (judged in OKLab clipped, a dark area took the dark ink
// nearest in lightness whatever error that left: a night sky came out solid
// blue). Odd rows run right to left (serpentine), so the grain does not line
// up into diagonal streaks.
//
// Atkinson's own rule drops the last quarter of every error, and a flat
// area a little off an ink then never gathers enough error to show the
// next ink: a dark sky comes out flat black, broken by streaks where the
// error at last tips over. Here the last quarter still goes to a pixel whose
// source colour is near the pixel's own (all of it at the same colour, none
// at kAtkinsonEdgeDistance in OKLab or beyond), so flat areas and gradients
// keep their light while the error stops at edges, which stay crisp.
//
// The distance was chosen by the quality report (bench/quality_report.cpp,
// --synthetic) over scikit-image's astronaut, chelsea and coffee, the sunset
// sky and the night sky, automatic inks, modes 0 to 2: of 0.02, 0.05, 0.1 and
// 0.2, 0.2 gave the least mean blurred error and the least mean rank (error /
// lightness SSIM) in every mode (each pixel then took the ink nearest in
// linear light; the choice in OKLab, measured at 0.2, lowered the rank
// further in every mode).
inline constexpr float kAtkinsonEdgeDistance = 0.2f;
// levels: how the source's bytes are read (SliderLight); edges: as
// Start_Error_Diffusion takes them, from Prepare_Atkinson_Edges.
std::unique_ptr<TDitherRun> Start_Atkinson_Dither(const InkList& inks, int a, int b, int c,
                                                  TLevelReading levels = TLevelReading::Bytes,
                                                  std::shared_ptr<const DiffusionEdges> edges = {});
// Where the error stops at edges in source, worked out once for any inks.
std::shared_ptr<const DiffusionEdges> Prepare_Atkinson_Edges(const TPicture& source,
                                                             const TPicture& map, int a, int b,
                                                             int c, TLevelReading levels);
