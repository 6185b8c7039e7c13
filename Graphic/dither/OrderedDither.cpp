#include "OrderedDither.h"

#include <vector>

#include "DitherColour.h"
#include "RowThreads.h"
#include "SysUtils.h"

// Each doubling puts four copies of the smaller matrix, scaled by 4, at
// offsets 0, 2 / 3, 1.
std::vector<int> Bayer_Matrix(int size) {
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

namespace {

// A pixel's ink depends on its own colour and place only; each band keeps
// its own cache of the shared table's choices.
class OrderedRun final : public TDitherRun {
  public:
    OrderedRun(const InkList& inks, int a, int b, int c, int size, TLevelReading levels)
        : OrderedRun(SliderLight(a, b, c, levels), inks, size, levels) {}

  private:
    OrderedRun(const SliderLight& light, const InkList& inks, int size, TLevelReading levels)
        : TDitherRun(light.readsMap(), false), mSize(size), mMatrix(Bayer_Matrix(size)),
          mLight(light), mColours(inks, levels), mTable(mColours, size * size) {}

    void render(const TPicture& source, const TPicture& map, const std::vector<std::uint8_t*>& rows,
                int first, int last) override {
        const int width = source.GetWidth();
        Run_Over_Rows(first, last, Rows_Worth_A_Thread(width), [&](int from, int to) {
            MixChooser chooser(mTable);
            for (int y = from; y < to; ++y) {
                const std::uint8_t* src = source.GetScanline(y);
                const std::uint8_t* mapPixel = mLight.readsMap() ? map.GetScanline(y) : nullptr;
                std::uint8_t* out = rows[static_cast<std::size_t>(y - first)];
                const int* rank = &mMatrix[static_cast<std::size_t>(y % mSize * mSize)];
                for (int x = 0; x < width; ++x, src += 3, out += 3) {
                    const InkMix mix = chooser.choose(mLight.key(src, mapPixel));
                    mColours.put(rank[x % mSize] < mix.share ? mix.high : mix.low, out);
                    if (mapPixel)
                        mapPixel += 3;
                }
            }
        });
    }

    int mSize;
    std::vector<int> mMatrix;
    SliderLight mLight;
    InkColours mColours;
    MixTable mTable; // reads mColours
};

} // namespace

std::unique_ptr<TDitherRun> Start_Ordered_Dither(const InkList& inks, int a, int b, int c,
                                                 int size, TLevelReading levels) {
    if (size != 1 && size != 2 && size != 4 && size != 8)
        throw Exception("An ordered dither's matrix is 1, 2, 4 or 8 pixels wide, not " +
                        IntToStr(size));
    return std::make_unique<OrderedRun>(inks, a, b, c, size, levels);
}
