#include "Engine.h"

#include <algorithm>
#include <array>
#include <memory>

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

// Everything a pixel needs, worked out once per call: for each map sum the
// shift it gives a pixel's level (as an index into the level range), and for
// each threshold and reachable level the colour chosen, packed B, G, R.
class DitherTables {
public:
    void prepare(const InkTable& inks, int a, int b, int c) {
        const std::array<WorkingInk, 4> list = sortedInks(inks, a, b);
        std::array<int, kMapSumCount> term;
        int termLow = 0, termHigh = 0;
        for (std::size_t n = 0; n < kMapSumCount; ++n) {
            term[n] = (static_cast<int>(n) - kNeutralMapSum) * c / kNeutralMapSum;
            termLow = std::min(termLow, term[n]);
            termHigh = std::max(termHigh, term[n]);
        }
        // Levels up to lev0 choose like lev0 and levels from lev3 + 1 on like
        // lev3 + 1 (not lev3 itself: with four equal levels lev3 takes entry
        // 0), and no pixel reaches outside [-termHigh, 765 - termLow], so
        // clamping into the overlap of the two never changes a choice.
        const int low = std::max(list[0].level, -termHigh);
        const int high = std::max(low, std::min(list[3].level + 1, kFullLevel - termLow));
        if (high - low + 1 > kMaxLevelSpan)
            throw Exception("Local contrast reinforcement " + IntToStr(c) + " is outside -20000..20000");
        mLast = high - low;
        for (std::size_t n = 0; n < kMapSumCount; ++n)
            mShift[n] = -term[n] - low;
        mMapMatters = termLow != termHigh;
        for (int threshold = 1; threshold <= 4; ++threshold) {
            std::uint32_t* colours = mColour[static_cast<std::size_t>(threshold - 1)].data();
            for (int m = low; m <= high; ++m) {
                const WorkingInk& ink = list[static_cast<std::size_t>(chooseEntry(list, m, threshold))];
                colours[m - low] = ink.bgr[0] | ink.bgr[1] << 8 | static_cast<std::uint32_t>(ink.bgr[2]) << 16;
            }
        }
    }

    void row(const std::uint8_t* __restrict src, const std::uint8_t* __restrict map, std::uint8_t* __restrict out,
             int width, int y) const {
        if (mMapMatters)
            rowOf<true>(src, map, out, width, y);
        else
            rowOf<false>(src, map, out, width, y);
    }

private:
    // Without a local term (c = 0, or every shift equal) the map need not be read.
    template <bool kReadMap>
    void rowOf(const std::uint8_t* __restrict src, const std::uint8_t* __restrict map, std::uint8_t* __restrict out,
               int width, int y) const {
        const std::uint32_t* even = mColour[static_cast<std::size_t>(kThreshold[y & 1][0] - 1)].data();
        const std::uint32_t* odd = mColour[static_cast<std::size_t>(kThreshold[y & 1][1] - 1)].data();
        int x = 0;
        for (; x + 1 < width; x += 2, src += 6, map += 6, out += 6) {
            pixel<kReadMap>(src, map, out, even);
            pixel<kReadMap>(src + 3, map + 3, out + 3, odd);
        }
        if (x < width)
            pixel<kReadMap>(src, map, out, even);
    }

    template <bool kReadMap>
    void pixel(const std::uint8_t* src, const std::uint8_t* map, std::uint8_t* out,
               const std::uint32_t* colours) const {
        const int s = src[0] + src[1] + src[2];
        const int shift = kReadMap ? mShift[static_cast<std::size_t>(map[0] + map[1] + map[2])] : mShift[0];
        const std::uint32_t colour = colours[std::clamp(s + shift, 0, mLast)];
        out[0] = static_cast<std::uint8_t>(colour);
        out[1] = static_cast<std::uint8_t>(colour >> 8);
        out[2] = static_cast<std::uint8_t>(colour >> 16);
    }

    bool mMapMatters = false;
    std::array<int, kMapSumCount> mShift;
    int mLast = 0;
    // Per threshold; filled only up to mLast. Kept out of the heap so a call
    // allocates nothing.
    std::array<std::array<std::uint32_t, kMaxLevelSpan>, 4> mColour;
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

    // About 650 KB of tables: too much for the stack of a GUI thread, and
    // rebuilt completely by every call, so one per thread is kept.
    thread_local const std::unique_ptr<DitherTables> tables = std::make_unique<DitherTables>();
    tables->prepare(inks, a, b, c);
    const TPicture& src = source;
    for (int y = 0; y < height; ++y)
        tables->row(src.GetScanline(y), map.GetScanline(y), result.GetScanline(y), width, y);
}
