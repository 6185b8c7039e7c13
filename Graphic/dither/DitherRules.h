#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <utility>

#include "Engine.h"
#include "SysUtils.h"

// The rules by which the classic dither gives a pixel its ink, shared by the
// dither itself (in every mode) and by the automatic ink choice, which must predict the
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

// The colour dithers move the picture instead of the inks, by the inverse of
// the map above, so a slider does the same in every dither. level is a
// channel on the 0..765 scale of a level (3 x the byte) after the local term;
// the result, rounded to nearest and clipped to 0..765, is the level the
// inks' own are compared with. Brightness a > 0 lifts black to a and keeps
// white (level a + l (765 - a) / 765); a < 0 darkens towards black (l (765 + a)
// / 765). Contrast b > 0 spreads b..765-b over 0..765 about the middle, b < 0
// squeezes 0..765 into -b..765+b. At a = b = 0 every level stays as it is.
inline int Adjusted_Pixel_Level(int level, int a, int b) {
    const auto divided = [](long long n, long long d) {
        return (n >= 0 ? n + d / 2 : n - d / 2) / d;
    };
    const long long l1 = divided((static_cast<long long>(level) - b) * (kDitherFullLevel + 2 * b),
                                 kDitherFullLevel - 2 * b) -
                         b;
    const long long l0 = a > 0 ? a + divided(l1 * (kDitherFullLevel - a), kDitherFullLevel)
                               : divided(l1 * (kDitherFullLevel + a), kDitherFullLevel);
    return static_cast<int>(std::clamp<long long>(l0, 0, kDitherFullLevel));
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

// The order in which the dither lists inks of the given levels (any count):
// indices into levels, lowest level first. As many passes of neighbour swaps
// on strictly greater levels as there are inks, so inks of equal level keep
// their table order.
inline void Dither_Entry_Order(std::span<const int> levels, std::span<int> order) {
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = static_cast<int>(k);
    for (std::size_t pass = 0; pass < order.size(); ++pass)
        for (std::size_t k = 0; k + 1 < order.size(); ++k)
            if (levels[static_cast<std::size_t>(order[k])] >
                levels[static_cast<std::size_t>(order[k + 1])])
                std::swap(order[k], order[k + 1]);
}

// The order of the mode 1 dither's four inks.
inline std::array<int, 4> Dither_Entry_Order(const std::array<int, 4>& levels) {
    std::array<int, 4> order;
    Dither_Entry_Order(levels, order);
    return order;
}

// The entry (index into the sorted levels, any count from 1) that a pixel of
// adjusted level m takes where the threshold is 1..4: the lowest below the
// first level, the highest from the last on, else the lower or upper of the
// two levels around m by the threshold.
inline int Dither_Entry(std::span<const int> sortedLevels, int m, int threshold) {
    const std::size_t last = sortedLevels.size() - 1;
    if (m <= sortedLevels[0])
        return 0;
    if (m >= sortedLevels[last])
        return static_cast<int>(last);
    std::size_t k = 1;
    while (sortedLevels[k] < m)
        ++k;
    const int lo = sortedLevels[k - 1];
    const int hi = sortedLevels[k];
    const int t = kDitherSteps * (m - lo) / (hi - lo);
    const int q = (t + 1) / 2;
    return q < threshold ? static_cast<int>(k) - 1 : static_cast<int>(k);
}

// The entry of the mode 1 dither's four sorted levels.
inline int Dither_Entry(const std::array<int, 4>& sortedLevels, int m, int threshold) {
    return Dither_Entry(std::span<const int>(sortedLevels), m, threshold);
}
