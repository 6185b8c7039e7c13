#pragma once

#include <vector>

#include "InkMeasure.h"

// White, black and grey are what a viewer checks first: a white collar shown
// orange or a black sky shown blue reads as plainly wrong, however small the
// measure's difference. These are the plain colours a picture has areas of.

// The colour numbers of white, black and grey (0/127/254 levels).
inline constexpr int kPlainColours[] = {26, 0, 13};
// White and black are the ends of what the inks can show: no pattern of
// other inks reaches them, so an area of them needs the ink itself. Grey
// lies between inks, which can mix it, except in a picture of greys: there
// any mix of coloured inks for it shows as coloured confetti.
inline bool Is_Extreme_Colour(int number) {
    return number == 26 || number == 0;
}

// A picture of greys: more than kNeutralShare of it within kNeutralChroma
// (OKLab) of the grey axis.
inline constexpr double kNeutralChroma = 0.03;
inline constexpr double kNeutralShare = 0.5;
bool Is_Grey_Picture(const std::vector<OkLab>& colours, const std::vector<double>& weights);

// How near (OKLab) a picture's colour must be to a plain colour to count as
// it, and the share of the picture such colours must cover to be more than a
// sliver.
inline constexpr double kPlainReach = 0.06;
inline constexpr double kPlainShare = 0.01;

// The plain colours that cover more than kPlainShare of a picture given as
// colours (OKLab) and their weights (pixel counts).
std::vector<int> Plain_Colours_Shown(const std::vector<OkLab>& colours,
                                     const std::vector<double>& weights);
