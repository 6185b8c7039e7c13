#include "OrderedSubsets.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "OrderedDither.h"
#include "RowThreads.h"
#include "SysUtils.h"

namespace {

// Keys a thread's share of the ranking is worth.
constexpr int kKeysWorthAThread = 2048;
// The most inks a palette of ranked mixes holds: a set is told by its bits.
constexpr int kMaxRankedPalette = 32;

std::uint32_t bitsOf(const InkMix& mix) {
    return (1u << mix.low) | (1u << mix.high);
}

} // namespace

OrderedSubsets::OrderedSubsets(const TPicture& source, const TPicture& map, const InkList& palette,
                               int a, int b, int c, int size, TLevelReading levels, int ranked)
    : mWidth(source.GetWidth()), mHeight(source.GetHeight()), mSize(size),
      mRanked(static_cast<int>(palette.size()) <= kMaxRankedPalette ? ranked : 0),
      mLevels(levels), mPalette(palette), mMatrix(Bayer_Matrix(size)) {
    const SliderLight light(a, b, c, levels);
    mKeyOf.resize(static_cast<std::size_t>(mWidth) * static_cast<std::size_t>(mHeight));
    std::size_t p = 0;
    for (int y = 0; y < mHeight; ++y) {
        const std::uint8_t* src = source.GetScanline(y);
        const std::uint8_t* mapPixel = light.readsMap() ? map.GetScanline(y) : nullptr;
        for (int x = 0; x < mWidth; ++x, src += 3, ++p) {
            mKeyOf[p] = light.key(src, mapPixel);
            if (mapPixel)
                mapPixel += 3;
        }
    }
    mKeys = mKeyOf;
    std::sort(mKeys.begin(), mKeys.end());
    mKeys.erase(std::unique(mKeys.begin(), mKeys.end()), mKeys.end());
    for (std::uint32_t& key : mKeyOf)
        key = static_cast<std::uint32_t>(std::lower_bound(mKeys.begin(), mKeys.end(), key) -
                                         mKeys.begin());
    for (std::uint32_t key : mKeys) {
        mLinear.push_back(SliderLight::linear(key));
        mLab.push_back(Lab_Of(mLinear.back()));
    }
    if (mRanked <= 0 || mKeys.empty())
        return;
    const InkColours colours(mPalette, levels);
    const MixTable table(colours, size * size);
    const auto keys = static_cast<int>(mKeys.size());
    const auto count = static_cast<std::size_t>(mRanked);
    mBest.resize(mKeys.size() * count);
    mBestCount.resize(mKeys.size());
    Run_Over_Rows(keys, kKeysWorthAThread, [&](int first, int last) {
        for (int k = first; k < last; ++k) {
            const std::vector<MixTable::RankedMix> list =
                table.ranked(mKeys[static_cast<std::size_t>(k)], mRanked);
            std::copy(list.begin(), list.end(), mBest.begin() + static_cast<std::ptrdiff_t>(k * count));
            mBestCount[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(list.size());
        }
    });
}

void OrderedSubsets::render(const std::vector<int>& members, TPicture& result) const {
    InkList inks;
    std::uint32_t held = 0;
    // Each palette ink's place in the set.
    std::vector<std::uint8_t> placeOf(mPalette.size());
    for (int m : members) {
        placeOf[static_cast<std::size_t>(m)] = static_cast<std::uint8_t>(inks.size());
        inks.push_back(mPalette[static_cast<std::size_t>(m)]);
        held |= 1u << m;
    }
    if (inks.empty())
        throw Exception("An ordered dither needs at least one ink");
    // The set's own table, for the keys the ranked mixes do not settle.
    const InkColours colours(inks, mLevels);
    std::optional<MixTable> table;
    std::vector<InkMix> mixes(mKeys.size());
    const auto count = static_cast<std::size_t>(mRanked);
    for (std::size_t k = 0; k < mKeys.size(); ++k) {
        bool found = false;
        if (mRanked > 0) {
            const MixTable::RankedMix* list = mBest.data() + k * count;
            for (std::size_t i = 0; i < mBestCount[k]; ++i)
                if ((bitsOf(list[i].mix) & ~held) == 0) {
                    const InkMix& mix = list[i].mix;
                    mixes[k] = {placeOf[mix.low], placeOf[mix.high], mix.share};
                    found = true;
                    break;
                }
        }
        if (!found) {
            if (!table)
                table.emplace(colours, mSize * mSize);
            mixes[k] = table->search(mLinear[k], mLab[k]);
        }
    }
    result.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetWidth(mWidth);
    result.SetHeight(mHeight);
    std::size_t p = 0;
    for (int y = 0; y < mHeight; ++y) {
        std::uint8_t* out = result.GetScanline(y);
        const int* rank = &mMatrix[static_cast<std::size_t>(y % mSize * mSize)];
        for (int x = 0; x < mWidth; ++x, out += 3, ++p) {
            const InkMix& mix = mixes[mKeyOf[p]];
            colours.put(rank[x % mSize] < mix.share ? mix.high : mix.low, out);
        }
    }
}
