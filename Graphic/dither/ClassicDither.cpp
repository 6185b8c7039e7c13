#include "ClassicDither.h"

#include <algorithm>
#include <array>
#include <vector>

#include "DitherRules.h"
#include "Engine.h"

namespace {

constexpr int kMapSumCount = 766;

} // namespace

void Classic_Dither(TPicture& source, TPicture& result, const TPicture& map, const InkList& inks,
                    int a, int b, int c, const ScreenMode& mode) {
    if (mode.number == kDefaultScreenMode)
        CPC_Mode1_Dither(source, result, map, Ink_Table_Of(inks), a, b, c);
    else
        Classic_Level_Dither(source, result, map, inks, a, b, c);
}

// Per call: the inks sorted by adjusted level, then for each threshold and
// each pixel level that can choose differently, the ink chosen. Levels below
// the lowest ink's choose like it and levels past the highest like one above
// it, so every pixel's level is clamped into that span first.
void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c) {
    const std::size_t count = inks.size();
    std::vector<int> levels(count), order(count), sorted(count);
    for (std::size_t i = 0; i < count; ++i)
        levels[i] = Adjusted_Ink_Level(Ink_Level(inks[i]), a, b);
    Dither_Entry_Order(levels, order);
    for (std::size_t k = 0; k < count; ++k)
        sorted[k] = levels[static_cast<std::size_t>(order[k])];

    std::array<int, kMapSumCount> term;
    for (std::size_t n = 0; n < kMapSumCount; ++n)
        term[n] = Local_Term(static_cast<int>(n), c);
    const bool readsMap = std::ranges::minmax(term).min != std::ranges::minmax(term).max;
    const int low = sorted.front();
    const int high = sorted.back() + 1;
    const std::size_t span = static_cast<std::size_t>(high - low + 1);
    std::array<std::vector<const Ink*>, 4> inkAt;
    for (int threshold = 1; threshold <= 4; ++threshold) {
        std::vector<const Ink*>& table = inkAt[static_cast<std::size_t>(threshold - 1)];
        table.resize(span);
        for (int m = low; m <= high; ++m) {
            const int entry = Dither_Entry(sorted, m, threshold);
            table[static_cast<std::size_t>(m - low)] =
                &inks[static_cast<std::size_t>(order[static_cast<std::size_t>(entry)])];
        }
    }

    for (int y = 0; y < source.GetHeight(); ++y) {
        const std::uint8_t* src = source.GetScanline(y);
        const std::uint8_t* mapRow = readsMap ? map.GetScanline(y) : nullptr;
        std::uint8_t* out = result.GetScanline(y);
        for (int x = 0; x < source.GetWidth(); ++x, src += 3, out += 3) {
            const int n =
                mapRow ? mapRow[3 * x] + mapRow[3 * x + 1] + mapRow[3 * x + 2] : kNeutralMapSum;
            const int m =
                std::clamp(src[0] + src[1] + src[2] - term[static_cast<std::size_t>(n)], low, high);
            const Ink& ink = *inkAt[static_cast<std::size_t>(kDitherThreshold[y & 1][x & 1] - 1)]
                                   [static_cast<std::size_t>(m - low)];
            out[0] = ink.b;
            out[1] = ink.g;
            out[2] = ink.r;
        }
    }
}
