#include "OrderedDither.h"

#include <vector>

#include "DitherColour.h"
#include "RowThreads.h"
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
    const MixTable table(colours, size * size);
    const int width = source.GetWidth();
    // A pixel's ink depends on its own colour and place only; each band
    // keeps its own cache of the shared table's choices.
    const std::vector<std::uint8_t*> rows = Writable_Rows(result);
    Run_Over_Rows(source.GetHeight(), Rows_Worth_A_Thread(width), [&](int first, int last) {
        MixChooser chooser(table);
        for (int y = first; y < last; ++y) {
            const std::uint8_t* src = source.GetScanline(y);
            const std::uint8_t* mapPixel = light.readsMap() ? map.GetScanline(y) : nullptr;
            std::uint8_t* out = rows[static_cast<std::size_t>(y)];
            const int* rank = &matrix[static_cast<std::size_t>(y % size * size)];
            for (int x = 0; x < width; ++x, src += 3, out += 3) {
                const InkMix mix = chooser.choose(light.key(src, mapPixel));
                colours.put(rank[x % size] < mix.share ? mix.high : mix.low, out);
                if (mapPixel)
                    mapPixel += 3;
            }
        }
    });
}
