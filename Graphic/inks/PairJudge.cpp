#include "PairJudge.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "InkMeasure.h"
#include "SysUtils.h"

namespace {

// Rows rendered and summed between looks at the bound: few enough that a
// poor pair stops early, enough that a dither's start-up per call is paid
// seldom.
constexpr int kBandRows = 10;
// A rank may fall below its error by the rounding of an SSIM of 1.
constexpr double kRankSlack = 1e-4;
// Cells a side of the source's OKLab count: finer bounds closer, but each
// pair sums over every cell the source occupies.
constexpr int kCellSteps = 16;
constexpr int kCells = kCellSteps * kCellSteps * kCellSteps;
// Points of the curve between two inks its bounds are taken from: more bound
// closer, but cost each pair the box does not give up a look at every
// occupied cell from each.
constexpr int kCurvePoints = 128;
// The OKLab of the blurred indicators met is cached in 2^kCachedBits slots:
// a dither's patterns give the same few values again and again.
constexpr int kCachedBits = 12;
constexpr std::size_t kCachedSlots = std::size_t{1} << kCachedBits;

std::array<float, 3> linearOf(const Ink& ink) {
    return {static_cast<float>(Linear_From_Byte(ink.r)), static_cast<float>(Linear_From_Byte(ink.g)),
            static_cast<float>(Linear_From_Byte(ink.b))};
}

} // namespace

PairJudge::PairJudge(const PerceptualReference& reference)
    : mReference(reference), mTaps(PerceptualReference::seenTaps()) {
    if (mTaps.size() > 16)
        throw Exception("The judge's blur is too wide for its table of windows");
    // Window bit i is the indicator under tap i; each sum is made as the
    // reference's blur makes it, the taps in order, each times 0 or 1.
    mAcross.resize(std::size_t{1} << mTaps.size());
    for (std::size_t window = 0; window < mAcross.size(); ++window) {
        float sum = 0;
        for (std::size_t i = 0; i < mTaps.size(); ++i)
            sum += mTaps[i] * static_cast<float>((window >> i) & 1);
        mAcross[window] = sum;
    }
    const std::vector<float>& lab = reference.blurredLab();
    const std::size_t pixels = lab.size() / 3;
    for (std::size_t c = 0; c < 3; ++c) {
        float low = 0, high = 0;
        for (std::size_t p = 0; p < pixels; ++p) {
            const float v = lab[3 * p + c];
            low = p == 0 ? v : std::min(low, v);
            high = p == 0 ? v : std::max(high, v);
        }
        mLow[c] = low;
        mStep[c] = std::max(high - low, 1e-6f) / kCellSteps;
    }
    const auto w = static_cast<std::size_t>(reference.width());
    const int bands = (reference.height() + kBandRows - 1) / kBandRows;
    mRemaining.assign(static_cast<std::size_t>(bands + 1) * kCells, 0);
    // Each band's own counts, then summed from the bottom up.
    for (int y = 0; y < reference.height(); ++y) {
        int* counts = mRemaining.data() + static_cast<std::size_t>(y / kBandRows) * kCells;
        for (std::size_t x = 0; x < w; ++x) {
            const float* p = lab.data() + 3 * (static_cast<std::size_t>(y) * w + x);
            int cell = 0;
            for (std::size_t c = 0; c < 3; ++c)
                cell = cell * kCellSteps +
                       std::clamp(static_cast<int>((p[c] - mLow[c]) / mStep[c]), 0, kCellSteps - 1);
            ++counts[cell];
        }
    }
    for (int b = bands - 1; b >= 0; --b)
        for (std::size_t k = 0; k < kCells; ++k)
            mRemaining[static_cast<std::size_t>(b) * kCells + k] +=
                mRemaining[static_cast<std::size_t>(b + 1) * kCells + k];
    for (int k = 0; k < kCells; ++k)
        if (mRemaining[static_cast<std::size_t>(k)] > 0)
            mOccupied.push_back(k);
}

std::optional<PerceptualScore> PairJudge::score(TDitherRun& run, const TPicture& source,
                                                const TPicture& map, TPicture& result,
                                                const Ink& first, const Ink& second,
                                                double beat) const {
    const int width = mReference.width(), height = mReference.height();
    if (source.GetWidth() != width || source.GetHeight() != height)
        throw Exception("A result must have its source's size to be compared with it");
    const auto w = static_cast<std::size_t>(width);
    const std::size_t pixels = w * static_cast<std::size_t>(height);
    if (pixels == 0)
        return PerceptualScore{};
    const int radius = static_cast<int>(mTaps.size() / 2);
    // The indicator blurred along rows, row after row, as far as rendered;
    // the same sums in the same order as the reference's blur, looked up by
    // the window's pattern of indicators (mAcross).
    std::vector<float> across(pixels);
    std::vector<std::uint8_t> padded(w + 2 * static_cast<std::size_t>(radius));
    const std::uint32_t top = static_cast<std::uint32_t>(mTaps.size()) - 1;
    const auto renderTo = [&](int from, int to) {
        run.Rows(source, result, map, from, to);
        for (int y = from; y < to; ++y) {
            const std::uint8_t* p = result.GetScanline(y);
            for (int x = -radius; x < width + radius; ++x) {
                const std::uint8_t* q = p + 3 * std::clamp(x, 0, width - 1);
                padded[static_cast<std::size_t>(x + radius)] =
                    (q[0] == second.b && q[1] == second.g && q[2] == second.r) ? 1 : 0;
            }
            float* row = across.data() + static_cast<std::size_t>(y) * w;
            std::uint32_t window = 0;
            for (std::uint32_t i = 0; i < top; ++i)
                window |= static_cast<std::uint32_t>(padded[i]) << (i + 1);
            for (std::size_t k = 0; k < w; ++k) {
                window = (window >> 1) | (static_cast<std::uint32_t>(padded[k + top]) << top);
                row[k] = mAcross[window];
            }
        }
    };
    const std::array<float, 3> low = linearOf(first), high = linearOf(second);
    // The box around the curve between the inks, widened by the longest
    // step between its points so that the curve between them stays inside.
    std::array<float, 3 * (kCurvePoints + 1)> curve{};
    {
        std::array<float, 3 * (kCurvePoints + 1)> points{};
        for (int k = 0; k <= kCurvePoints; ++k)
            for (std::size_t c = 0; c < 3; ++c)
                points[3 * static_cast<std::size_t>(k) + c] =
                    low[c] + (high[c] - low[c]) * static_cast<float>(k) / kCurvePoints;
        OkLab_From_Linear_Floats(points.data(), kCurvePoints + 1, curve.data());
    }
    float boxLow[3], boxHigh[3], widen = 0;
    for (std::size_t c = 0; c < 3; ++c)
        boxLow[c] = boxHigh[c] = curve[c];
    for (std::size_t k = 1; k <= kCurvePoints; ++k) {
        float step = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const float v = curve[3 * k + c], d = v - curve[3 * (k - 1) + c];
            boxLow[c] = std::min(boxLow[c], v);
            boxHigh[c] = std::max(boxHigh[c], v);
            step += d * d;
        }
        widen = std::max(widen, std::sqrt(step));
    }
    // Each cell's least distance to the box, by components.
    std::array<std::array<float, kCellSteps>, 3> apart{};
    for (std::size_t c = 0; c < 3; ++c)
        for (int i = 0; i < kCellSteps; ++i) {
            const float cellLow = mLow[c] + static_cast<float>(i) * mStep[c], cellHigh = cellLow + mStep[c];
            apart[c][static_cast<std::size_t>(i)] =
                std::max({0.0f, cellLow - boxHigh[c] - widen, boxLow[c] - widen - cellHigh});
        }
    // Each occupied cell's least distance to the box; for a pair the box
    // does not give up at once, the distance to the curve's points less
    // the widening where that is further. Both are below the distance of any
    // colour in the cell to the curve.
    std::vector<float> cellBound(mOccupied.size());
    const auto cellOf = [&](std::size_t o) {
        const auto k = static_cast<std::size_t>(mOccupied[o]);
        return std::array<std::size_t, 3>{k / (kCellSteps * kCellSteps), k / kCellSteps % kCellSteps,
                                          k % kCellSteps};
    };
    for (std::size_t o = 0; o < mOccupied.size(); ++o) {
        const std::array<std::size_t, 3> cell = cellOf(o);
        const float dL = apart[0][cell[0]], da = apart[1][cell[1]], db = apart[2][cell[2]];
        cellBound[o] = std::sqrt(dL * dL + da * da + db * db);
    }
    // The least error of the rows from band b on.
    const auto remaining = [&](int b) {
        const int* counts = mRemaining.data() + static_cast<std::size_t>(b) * kCells;
        double sum = 0;
        for (std::size_t o = 0; o < mOccupied.size(); ++o)
            sum += static_cast<double>(counts[mOccupied[o]]) * cellBound[o];
        return sum;
    };
    const double limit = beat * (1 + kRankSlack) * static_cast<double>(pixels) / 100;
    if (remaining(0) > limit)
        return std::nullopt;
    for (std::size_t o = 0; o < mOccupied.size(); ++o) {
        const std::array<std::size_t, 3> cell = cellOf(o);
        float cellLow[3], cellHigh[3];
        for (std::size_t c = 0; c < 3; ++c) {
            cellLow[c] = mLow[c] + static_cast<float>(cell[c]) * mStep[c];
            cellHigh[c] = cellLow[c] + mStep[c];
        }
        float nearest = std::numeric_limits<float>::infinity();
        for (std::size_t p = 0; p <= kCurvePoints; ++p) {
            float square = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const float v = curve[3 * p + c],
                            d = std::max({0.0f, cellLow[c] - v, v - cellHigh[c]});
                square += d * d;
            }
            nearest = std::min(nearest, square);
        }
        cellBound[o] = std::max(cellBound[o], std::sqrt(nearest) - widen);
    }
    const std::vector<float>& reference = mReference.blurredLab();
    std::vector<float> lightness(pixels), t(w), linear(3 * w), lab(3 * w);
    std::vector<float> missedLab(3 * w), cachedLab(3 * kCachedSlots);
    std::vector<std::size_t> missed(w);
    // No blurred indicator has these bits: they are a NaN's.
    std::vector<std::uint32_t> cachedValue(kCachedSlots, 0xFFFFFFFFu);
    double total = 0;
    int rendered = 0;
    for (int y = 0; y < height; ++y) {
        if (y % kBandRows == 0 && total + remaining(y / kBandRows) > limit)
            return std::nullopt;
        if (y + radius >= rendered && rendered < height) {
            const int to = std::min(height, std::max(y + radius + 1, rendered + kBandRows));
            renderTo(rendered, to);
            rendered = to;
        }
        std::fill(t.begin(), t.end(), 0.0f);
        for (int i = -radius; i <= radius; ++i) {
            const float tap = mTaps[static_cast<std::size_t>(i + radius)];
            const float* from = across.data() + static_cast<std::size_t>(std::clamp(y + i, 0, height - 1)) * w;
            for (std::size_t k = 0; k < w; ++k)
                t[k] += tap * from[k];
        }
        // Each blurred indicator's OKLab, from the cache when the same value
        // was met before: the same conversion of the same colour.
        std::size_t misses = 0;
        for (std::size_t x = 0; x < w; ++x) {
            std::uint32_t bits;
            std::memcpy(&bits, &t[x], sizeof bits);
            const std::size_t slot = (bits * 2654435761u) >> (32 - kCachedBits);
            if (cachedValue[slot] == bits) {
                std::copy_n(cachedLab.data() + 3 * slot, 3, lab.data() + 3 * x);
            } else {
                for (std::size_t c = 0; c < 3; ++c)
                    linear[3 * misses + c] = low[c] + (high[c] - low[c]) * t[x];
                missed[misses++] = x;
            }
        }
        OkLab_From_Linear_Floats(linear.data(), misses, missedLab.data());
        for (std::size_t m = 0; m < misses; ++m) {
            const std::size_t x = missed[m];
            std::uint32_t bits;
            std::memcpy(&bits, &t[x], sizeof bits);
            const std::size_t slot = (bits * 2654435761u) >> (32 - kCachedBits);
            cachedValue[slot] = bits;
            std::copy_n(missedLab.data() + 3 * m, 3, cachedLab.data() + 3 * slot);
            std::copy_n(missedLab.data() + 3 * m, 3, lab.data() + 3 * x);
        }
        const float* wanted = reference.data() + 3 * static_cast<std::size_t>(y) * w;
        for (std::size_t x = 0; x < w; ++x) {
            const float dL = lab[3 * x] - wanted[3 * x], da = lab[3 * x + 1] - wanted[3 * x + 1],
                        db = lab[3 * x + 2] - wanted[3 * x + 2];
            total += std::sqrt(dL * dL + da * da + db * db);
            lightness[static_cast<std::size_t>(y) * w + x] = lab[3 * x];
        }
        if (total > limit)
            return std::nullopt;
    }
    return PerceptualScore{100 * total / static_cast<double>(pixels),
                           mReference.ssimOfSeenLightness(lightness)};
}
