#include "OrderedDither.h"

#include <vector>

#include "DitherColour.h"
#include "SysUtils.h"

namespace {

// The Bayer matrix of size (a power of two) as size x size ranks 0..size^2 - 1,
// row by row: each doubling puts four copies of the smaller one, scaled by 4,
// at offsets 0, 2 / 3, 1.
std::vector<int> bayerMatrix(int size) {
    std::vector<int> matrix = {0};
    for (int n = 1; n < size; n *= 2) {
        std::vector<int> larger(static_cast<std::size_t>(4 * n * n));
        for (int y = 0; y < 2 * n; ++y)
            for (int x = 0; x < 2 * n; ++x) {
                static constexpr int kOffset[2][2] = {{0, 2}, {3, 1}};
                larger[static_cast<std::size_t>(y * 2 * n + x)] =
                    4 * matrix[static_cast<std::size_t>(y % n * n + x % n)] + kOffset[y / n][x / n];
            }
        matrix = std::move(larger);
    }
    return matrix;
}

} // namespace

void Ordered_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                    const InkList& inks, int a, int b, int c, int size) {
    if (size != 1 && size != 2 && size != 4 && size != 8)
        throw Exception("An ordered dither's matrix is 1, 2, 4 or 8 pixels wide, not " +
                        IntToStr(size));
    const std::vector<int> matrix = bayerMatrix(size);
    const SliderLight light(a, b, c);
    const InkColours colours(inks);
    MixChooser chooser(colours, size * size);
    for (int y = 0; y < source.GetHeight(); ++y) {
        const std::uint8_t* src = source.GetScanline(y);
        const std::uint8_t* mapPixel = light.readsMap() ? map.GetScanline(y) : nullptr;
        std::uint8_t* out = result.GetScanline(y);
        const int* rank = &matrix[static_cast<std::size_t>(y % size * size)];
        for (int x = 0; x < source.GetWidth(); ++x, src += 3, out += 3) {
            const InkMix mix = chooser.choose(light.key(src, mapPixel));
            colours.put(rank[x % size] < mix.share ? mix.high : mix.low, out);
            if (mapPixel)
                mapPixel += 3;
        }
    }
}
