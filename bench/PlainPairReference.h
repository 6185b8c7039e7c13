#pragma once

// A measuring stick for mode 2: the best pair of the 27 CPC colours for a
// picture, found by trying all 351 pairs, each drawn by a plain dither and
// ranked as the ink search ranks (blurred error / lightness SSIM as seen),
// then that pair's result. The plain dithers work in linear light and know
// nothing of pair contrast or of colours the pair cannot reach:
// - Floyd-Steinberg: rows left to right, 7/16, 3/16, 5/16, 1/16 of all the
//   error on, each pixel the nearer of the two inks;
// - Bayer N x N: each pixel's projection t (0..1) onto the line from the
//   first ink to the second against the matrix rank r: the second ink
//   where r + 1/2 < t N^2.
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "Engine.h"
#include "InkMeasure.h"
#include "OrderedDither.h"
#include "PerceptualMeasure.h"

namespace plain_pairs {

struct Best {
    int low = 0, high = 0; // colour numbers, low < high
    PerceptualScore score;
    TPicture result;
};

using Linear = std::array<float, 3>; // red, green, blue 0..1

inline Linear linearOf(const Ink& ink) {
    return {static_cast<float>(Linear_From_Byte(ink.r)), static_cast<float>(Linear_From_Byte(ink.g)),
            static_cast<float>(Linear_From_Byte(ink.b))};
}

// Which of the two inks (false: first, true: second) each pixel of source
// (its linear colours, width x height) shows; size 0 is Floyd-Steinberg,
// 4 or 8 Bayer.
inline std::vector<bool> plainDither(const std::vector<Linear>& source, int width, int height,
                                     const Linear& first, const Linear& second, int size) {
    const Linear d = {second[0] - first[0], second[1] - first[1], second[2] - first[2]};
    const float length = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const auto along = [&](const Linear& c) { // projection, 0 at first, 1 at second
        return ((c[0] - first[0]) * d[0] + (c[1] - first[1]) * d[1] + (c[2] - first[2]) * d[2]) /
               length;
    };
    std::vector<bool> shows(source.size());
    if (size > 0) {
        const std::vector<int> matrix = Bayer_Matrix(size);
        const float cells = static_cast<float>(size * size);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                       static_cast<std::size_t>(x);
                const float rank = static_cast<float>(
                    matrix[static_cast<std::size_t>(y % size * size + x % size)]);
                shows[at] = rank + 0.5f < std::clamp(along(source[at]), 0.0f, 1.0f) * cells;
            }
        return shows;
    }
    // Two rows of error, the one being drawn and the next.
    std::vector<Linear> error(2 * static_cast<std::size_t>(width) + 2);
    for (int y = 0; y < height; ++y) {
        Linear* here = &error[static_cast<std::size_t>(y % 2) * static_cast<std::size_t>(width)];
        Linear* below = &error[static_cast<std::size_t>((y + 1) % 2) * static_cast<std::size_t>(width)];
        std::fill(below, below + width, Linear{});
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x);
            const Linear wanted = {source[at][0] + here[x][0], source[at][1] + here[x][1],
                                   source[at][2] + here[x][2]};
            const bool takesSecond = along(wanted) > 0.5f;
            shows[at] = takesSecond;
            const Linear& shown = takesSecond ? second : first;
            for (std::size_t c = 0; c < 3; ++c) {
                const float e = wanted[c] - shown[c];
                if (x + 1 < width)
                    here[x + 1][c] += e * 7 / 16;
                if (x > 0)
                    below[x - 1][c] += e * 3 / 16;
                below[x][c] += e * 5 / 16;
                if (x + 1 < width)
                    below[x + 1][c] += e * 1 / 16;
            }
        }
    }
    return shows;
}

// The best pair for source under the plain dither of size (0: Floyd-Steinberg,
// 4 or 8: Bayer), ranked against reference (the source's).
inline Best bestPair(const TPicture& source, const PerceptualReference& reference, int size) {
    const int width = source.GetWidth(), height = source.GetHeight();
    std::vector<Linear> linear(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = source.GetScanline(y);
        for (int x = 0; x < width; ++x)
            linear[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(x)] = linearOf({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
    Best best;
    best.score.error = 1e300;
    for (int low = 0; low < kColourCount; ++low)
        for (int high = low + 1; high < kColourCount; ++high) {
            const Ink inks[2] = {Ink_From_Colour_Number(low), Ink_From_Colour_Number(high)};
            const std::vector<bool> shows =
                plainDither(linear, width, height, linearOf(inks[0]), linearOf(inks[1]), size);
            TPicture result;
            result.SetPixelFormat(TPixelFormat::pf24bit);
            result.SetWidth(width);
            result.SetHeight(height);
            for (int y = 0; y < height; ++y) {
                std::uint8_t* row = result.GetScanline(y);
                for (int x = 0; x < width; ++x) {
                    const Ink& ink = inks[shows[static_cast<std::size_t>(y) *
                                                    static_cast<std::size_t>(width) +
                                                static_cast<std::size_t>(x)]];
                    row[3 * x] = ink.b;
                    row[3 * x + 1] = ink.g;
                    row[3 * x + 2] = ink.r;
                }
            }
            const PerceptualScore score = reference.score(result);
            if (score.rank() < best.score.rank()) {
                best.low = low;
                best.high = high;
                best.score = score;
                best.result = std::move(result);
            }
        }
    return best;
}

} // namespace plain_pairs
