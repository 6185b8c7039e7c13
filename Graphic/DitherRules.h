#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "Engine.h"
#include "SysUtils.h"

// The rules by which the mode 1 dither gives a pixel its ink, shared by the
// dither itself and by the automatic ink choice, which must predict the
// dither's output exactly.

inline constexpr int kDitherFullLevel = 765;
// Steps between two neighbouring ink levels that the 2x2 threshold splits.
inline constexpr int kDitherSteps = 8;
// Threshold matrix (1..4), by row parity then column parity.
inline constexpr int kDitherThreshold[2][2] = {{1, 4}, {3, 2}};

// An ink level (0..765) after brightness a (-550..550) and contrast b
// (-370..370): brightness stretches a..765 onto 0..765 (a > 0) or squeezes
// 0..765 (a <= 0); contrast maps -b..765+b onto b..765-b. Multiply first,
// divide once, truncating toward zero.
inline int Adjusted_Ink_Level(int level, int a, int b) {
    const int l1 = a > 0 ? (level - a) * kDitherFullLevel / (kDitherFullLevel - a)
                         : level * kDitherFullLevel / (kDitherFullLevel + a);
    return b + (l1 + b) * (kDitherFullLevel - 2 * b) / (kDitherFullLevel + 2 * b);
}

// What a pixel's local-contrast map sum n (three map bytes, 381 when
// neutral) takes from its level at local c (-20000..20000): m = s - term.
inline int Local_Term(int mapSum, int c) {
    return (mapSum - kNeutralMapSum) * c / kNeutralMapSum;
}

// Raises an Exception unless map has the size of source: a local term reads
// the map pixel under each source pixel.
inline void Require_Map_Of(const TPicture& source, const TPicture& map) {
    if (map.GetWidth() != source.GetWidth() || map.GetHeight() != source.GetHeight())
        throw Exception("The local-contrast map is " + IntToStr(map.GetWidth()) + " x " + IntToStr(map.GetHeight()) +
                        ", not the picture's " + IntToStr(source.GetWidth()) + " x " + IntToStr(source.GetHeight()));
}

// The order in which the dither lists four inks of the given levels: table
// indices, lowest level first. Four passes of neighbour swaps on strictly
// greater levels, so inks of equal level keep their table order.
inline std::array<int, 4> Dither_Entry_Order(const std::array<int, 4>& levels) {
    std::array<int, 4> order = {0, 1, 2, 3};
    for (int pass = 0; pass < 4; ++pass)
        for (std::size_t k = 0; k + 1 < 4; ++k)
            if (levels[static_cast<std::size_t>(order[k])] >
                levels[static_cast<std::size_t>(order[k + 1])])
                std::swap(order[k], order[k + 1]);
    return order;
}

// The entry (0..3 of the sorted levels) that a pixel of adjusted level m takes
// where the threshold is 1..4: the lowest below lev0, the highest from lev3
// on, else the lower or upper of the two levels around m by the threshold.
inline int Dither_Entry(const std::array<int, 4>& sortedLevels, int m, int threshold) {
    if (m <= sortedLevels[0])
        return 0;
    if (m >= sortedLevels[3])
        return 3;
    std::size_t k = 1;
    while (sortedLevels[k] < m)
        ++k;
    const int lo = sortedLevels[k - 1];
    const int hi = sortedLevels[k];
    const int t = kDitherSteps * (m - lo) / (hi - lo);
    const int q = (t + 1) / 2;
    return q < threshold ? static_cast<int>(k) - 1 : static_cast<int>(k);
}
