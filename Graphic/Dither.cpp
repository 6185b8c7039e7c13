#include "Engine.h"

#include <algorithm>
#include <array>

#include "SysUtils.h"

namespace {

constexpr int kFullLevel = 765;
constexpr int kMapSumCount = 766;
// Steps between two neighbouring ink levels that the 2x2 threshold splits.
constexpr int kSteps = 8;
// Widest span of pixel levels the local term can open: 0..765 shifted by
// -20000..20157 (map sums 0..765 at the slider's end).
constexpr int kMaxLevelSpan = kFullLevel + 20000 + 20158 + 1;

struct WorkingInk {
    std::uint8_t bgr[3];
    int level;
};

// Brightness stretches a..765 onto 0..765 (a > 0) or squeezes 0..765 (a <= 0);
// contrast maps -b..765+b onto b..765-b. Multiply first, divide once.
int adjustedLevel(int level, int a, int b) {
    const int l1 = a > 0 ? (level - a) * kFullLevel / (kFullLevel - a) : level * kFullLevel / (kFullLevel + a);
    return b + (l1 + b) * (kFullLevel - 2 * b) / (kFullLevel + 2 * b);
}

// Four passes of neighbour swaps on strictly greater levels, so inks of equal
// level keep their table order.
std::array<WorkingInk, 4> sortedInks(const InkTable& inks, int a, int b) {
    std::array<WorkingInk, 4> list;
    for (std::size_t i = 0; i < 4; ++i) {
        list[i] = {{inks[i].b, inks[i].g, inks[i].r}, adjustedLevel(Ink_Level(inks[i]), a, b)};
    }
    for (int pass = 0; pass < 4; ++pass)
        for (std::size_t k = 0; k + 1 < 4; ++k)
            if (list[k].level > list[k + 1].level)
                std::swap(list[k], list[k + 1]);
    return list;
}

// The sorted entry a pixel of level m takes where the threshold is T (1..4).
int chooseEntry(const std::array<WorkingInk, 4>& list, int m, int threshold) {
    if (m <= list[0].level)
        return 0;
    if (m >= list[3].level)
        return 3;
    int k = 1;
    while (list[static_cast<std::size_t>(k)].level < m)
        ++k;
    const int lo = list[static_cast<std::size_t>(k - 1)].level;
    const int hi = list[static_cast<std::size_t>(k)].level;
    const int t = kSteps * (m - lo) / (hi - lo);
    const int q = (t + 1) / 2;
    return q < threshold ? k - 1 : k;
}

// Threshold matrix, by row parity then column parity.
constexpr int kThreshold[2][2] = {{1, 4}, {3, 2}};

// Everything a pixel needs, worked out once per call: the local term for each
// map sum, and the chosen entry for each reachable level and threshold.
class DitherTables {
public:
    DitherTables(const InkTable& inks, int a, int b, int c) : mList(sortedInks(inks, a, b)) {
        int termLow = 0, termHigh = 0;
        for (int n = 0; n < kMapSumCount; ++n) {
            mTerm[static_cast<std::size_t>(n)] = (n - kNeutralMapSum) * c / kNeutralMapSum;
            termLow = std::min(termLow, mTerm[static_cast<std::size_t>(n)]);
            termHigh = std::max(termHigh, mTerm[static_cast<std::size_t>(n)]);
        }
        // Levels up to lev0 choose like lev0 and levels from lev3 + 1 on like
        // lev3 + 1 (not lev3 itself: with four equal levels lev3 takes entry
        // 0), and no pixel reaches outside [-termHigh, 765 - termLow], so
        // clamping into the overlap of the two never changes a choice.
        mLow = std::max(mList[0].level, -termHigh);
        mHigh = std::max(mLow, std::min(mList[3].level + 1, kFullLevel - termLow));
        if (mHigh - mLow + 1 > kMaxLevelSpan)
            throw Exception("Local contrast reinforcement " + IntToStr(c) + " is outside -20000..20000");
        for (int m = mLow; m <= mHigh; ++m)
            for (int threshold = 1; threshold <= 4; ++threshold)
                mChoice[static_cast<std::size_t>(m - mLow) * 4 + static_cast<std::size_t>(threshold - 1)] =
                    static_cast<std::uint8_t>(chooseEntry(mList, m, threshold));
    }

    void row(const std::uint8_t* __restrict src, const std::uint8_t* __restrict map, std::uint8_t* __restrict out,
             int width, int y) const {
        const int evenColumn = kThreshold[y & 1][0] - 1;
        const int oddColumn = kThreshold[y & 1][1] - 1;
        for (int x = 0; x < width; ++x, src += 3, map += 3, out += 3) {
            const int s = src[0] + src[1] + src[2];
            const int n = map[0] + map[1] + map[2];
            const int m = std::clamp(s - mTerm[static_cast<std::size_t>(n)], mLow, mHigh);
            const int column = (x & 1) ? oddColumn : evenColumn;
            const WorkingInk& ink =
                mList[mChoice[static_cast<std::size_t>(m - mLow) * 4 + static_cast<std::size_t>(column)]];
            out[0] = ink.bgr[0];
            out[1] = ink.bgr[1];
            out[2] = ink.bgr[2];
        }
    }

private:
    std::array<WorkingInk, 4> mList;
    std::array<int, kMapSumCount> mTerm{};
    int mLow = 0;
    int mHigh = 0;
    // Filled only from 0 to (mHigh - mLow + 1) x 4; no allocation per call.
    std::array<std::uint8_t, static_cast<std::size_t>(kMaxLevelSpan) * 4> mChoice;
};

} // namespace

void CPC_Mode1_Dither(TPicture& source, TPicture& result, const TPicture& map, const InkTable& inks, int a,
                      int b, int c) {
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    result.SetWidth(width);
    result.SetHeight(height);
    source.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetPixelFormat(TPixelFormat::pf24bit);
    if (width == 0 || height == 0)
        return;

    const DitherTables tables(inks, a, b, c);
    const TPicture& src = source;
    for (int y = 0; y < height; ++y)
        tables.row(src.GetScanline(y), map.GetScanline(y), result.GetScanline(y), width, y);
}
