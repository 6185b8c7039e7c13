#pragma once

#include <vector>

#include "Dithers.h"
#include "InkChoice.h"
#include "ModeInkChoice.h"
#include "Picture.h"
#include "ScreenMode.h"

// The automatic ink choice from the CPC+'s 4,096 colours, for any screen mode
// and dither: mode.inkCount different colours (indices of the plus palette,
// CpcPalette.h) whose result by the dither in use looks closest to the source.
//
// - A picture whose pixels' nearest CPC+ colours (each channel within 8 of a
//   multiple of 17) number no more than the inks left beside the kept ones
//   gets them as its inks, the inks left over the lowest colours not in use.
// - Else k-means in OKLab over the picture's colours as the dither sees them
//   (the sliders applied; a bin of n pixels weighs the square root of n, a
//   cluster's colour is its mean in linear light), the kept inks fixed
//   centres, seeded each time at the colour that adds most weight x squared
//   distance; the centres snapped to their nearest free 12-bit colours, the
//   heaviest first. The starts judged: k-means alone; its colours pushed
//   away from the picture's mean; with 2 and 6 extreme colours of the
//   picture held; with one cluster more, the lightest left out; and the
//   CPC search's own choice (Choose_Mode_Inks, the kept inks as their
//   nearest CPC colours) snapped to free CPC+ colours, so that the result is
//   never worse under the measure than that set.
// - The best start of the clustering (and in modes of at most four inks the
//   CPC set too, where it is better) is refined by the dither in use and the
//   perceptual measure (PerceptualMeasure.h): each round judges every chosen
//   ink moved by four levels (halved each time no move improves, down to one) up or
//   down in red, green, blue or all three, and takes the moves that improve,
//   all of them together where that beats the best single one; at most
//   kPlusRefineRounds rounds (the ordered dithers, whose judgements cost four
//   times as much, one on a mode's whole screen, more on small pictures).
//   The moves are judged on a copy of half the size each way; the best of
//   the starts and the moved sets on the whole picture wins. A picture of more
//   than twice the mode's screen is judged on its copy stretched to the
//   screen.
// Ties go to the first move in a fixed order, so the choice is the same on any
// number of threads. Chosen inks are placed darkest first at the inks not kept.
//
// kept has mode.inkCount entries, each a plus colour index or kChooseInk.
// Raises an Exception when kept has the wrong length or an entry is no colour.
Mode_Ink_Choice Choose_Plus_Inks(TPicture& source, const TPicture& map, const std::vector<int>& kept,
                                 TDither dither, const ScreenMode& mode, int a, int b, int c,
                                 const Ink_Search_Control& control);

// Rounds of the refinement by the real dither.
inline constexpr int kPlusRefineRounds = 8;
