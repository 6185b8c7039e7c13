#include "ClassicDither.h"

#include <algorithm>
#include <array>
#include <vector>

#include "DitherRules.h"
#include "Engine.h"
#include "RowThreads.h"

namespace {

constexpr int kMapSumCount = 766;
using LocalTerms = std::array<int, kMapSumCount>;

LocalTerms localTerms(int c) {
    LocalTerms term;
    for (std::size_t n = 0; n < kMapSumCount; ++n)
        term[n] = Local_Term(static_cast<int>(n), c);
    return term;
}

// Only a term that differs between map sums makes the map worth reading.
bool varies(const LocalTerms& term) {
    const auto [low, high] = std::ranges::minmax(term);
    return low != high;
}

// Per run: the inks sorted by adjusted level, then for each threshold and
// each pixel level that can choose differently, the ink chosen. Levels below
// the lowest ink's choose like it and levels past the highest like one above
// it, so every pixel's level is clamped into that span first.
class ClassicLevelRun final : public TDitherRun {
  public:
    ClassicLevelRun(const InkList& inks, int a, int b, int c)
        : ClassicLevelRun(inks, a, b, localTerms(c)) {}

  private:
    ClassicLevelRun(const InkList& inks, int a, int b, const LocalTerms& term)
        : TDitherRun(varies(term), false), mInks(inks), mTerm(term) {
        const std::size_t count = inks.size();
        std::vector<int> levels(count), order(count), sorted(count);
        for (std::size_t i = 0; i < count; ++i)
            levels[i] = Adjusted_Ink_Level(Ink_Level(inks[i]), a, b);
        Dither_Entry_Order(levels, order);
        for (std::size_t k = 0; k < count; ++k)
            sorted[k] = levels[static_cast<std::size_t>(order[k])];
        mLow = sorted.front();
        mHigh = sorted.back() + 1;
        const std::size_t span = static_cast<std::size_t>(mHigh - mLow + 1);
        for (int threshold = 1; threshold <= 4; ++threshold) {
            std::vector<std::size_t>& table = mInkAt[static_cast<std::size_t>(threshold - 1)];
            table.resize(span);
            for (int m = mLow; m <= mHigh; ++m)
                table[static_cast<std::size_t>(m - mLow)] = static_cast<std::size_t>(
                    order[static_cast<std::size_t>(Dither_Entry(sorted, m, threshold))]);
        }
    }

    // Each result row depends on its own source and map rows and its parity only.
    void render(const TPicture& source, const TPicture& map, const std::vector<std::uint8_t*>& rows,
                int first, int last) override {
        const int width = source.GetWidth();
        const bool readsMap = varies(mTerm);
        Run_Over_Rows(first, last, Rows_Worth_A_Thread(width), [&](int from, int to) {
            for (int y = from; y < to; ++y) {
                const std::uint8_t* src = source.GetScanline(y);
                const std::uint8_t* mapRow = readsMap ? map.GetScanline(y) : nullptr;
                std::uint8_t* out = rows[static_cast<std::size_t>(y - first)];
                for (int x = 0; x < width; ++x, src += 3, out += 3) {
                    const int n = mapRow ? mapRow[3 * x] + mapRow[3 * x + 1] + mapRow[3 * x + 2]
                                         : kNeutralMapSum;
                    const int m = std::clamp(
                        src[0] + src[1] + src[2] - mTerm[static_cast<std::size_t>(n)], mLow, mHigh);
                    const Ink& ink =
                        mInks[mInkAt[static_cast<std::size_t>(kDitherThreshold[y & 1][x & 1] - 1)]
                                    [static_cast<std::size_t>(m - mLow)]];
                    out[0] = ink.b;
                    out[1] = ink.g;
                    out[2] = ink.r;
                }
            }
        });
    }

    InkList mInks;
    LocalTerms mTerm;
    int mLow = 0, mHigh = 0;
    std::array<std::vector<std::size_t>, 4> mInkAt; // per threshold, per level from mLow: the ink
};

} // namespace

std::unique_ptr<TDitherRun> Start_Classic_Level_Dither(const InkList& inks, int a, int b, int c) {
    return std::make_unique<ClassicLevelRun>(inks, a, b, c);
}

std::unique_ptr<TDitherRun> Start_Classic_Dither(const InkList& inks, int a, int b, int c,
                                                 const ScreenMode& mode) {
    if (mode.number == kDefaultScreenMode)
        return Start_Mode1_Dither(Ink_Table_Of(inks), a, b, c);
    return Start_Classic_Level_Dither(inks, a, b, c);
}

void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c) {
    Start_Classic_Level_Dither(inks, a, b, c)->Rows(source, result, map, 0, source.GetHeight());
}
