#include "DitherColour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "CpcLevels.h"
#include "DitherRules.h"

namespace {

constexpr int kLevelCount = kDitherFullLevel + 1;
constexpr int kMapSumCount = 766;
// Cache slots: a power of two, about as many as a 320 x 200 picture has colours.
constexpr int kCacheBits = 16;
constexpr std::uint64_t kCacheFilled = 1u << 31;

// Linear light of each channel level 0..765 (3 x a byte for an unadjusted one).
const std::array<float, kLevelCount>& linearOfLevel() {
    static const std::array<float, kLevelCount> table = [] {
        std::array<float, kLevelCount> t{};
        for (int l = 0; l < kLevelCount; ++l)
            t[static_cast<std::size_t>(l)] =
                static_cast<float>(Linear_From_Fraction(static_cast<double>(l) / kDitherFullLevel));
        return t;
    }();
    return table;
}

float distance(const LabColour& p, const LabColour& q) {
    const float dL = p.L - q.L, da = p.a - q.a, db = p.b - q.b;
    return dL * dL + da * da + db * db;
}

std::size_t slotOf(std::uint32_t key) {
    return (key * 2654435761u) >> (32 - kCacheBits);
}

} // namespace

LabColour Lab_Of(const LinearColour& colour) {
    const float linear[3] = {colour.r, colour.g, colour.b};
    float lab[3];
    OkLab_From_Linear_Floats(linear, 1, lab);
    return {lab[0], lab[1], lab[2]};
}

SliderLight::SliderLight(int a, int b, int c, TLevelReading levels) : mShift(kMapSumCount) {
    for (int v = 0; v < 256; ++v) {
        const auto byte = static_cast<std::uint8_t>(v);
        mByte[static_cast<std::size_t>(v)] =
            static_cast<std::uint16_t>(3 * (Read_Level_Byte(levels, byte)));
    }
    int termLow = 0, termHigh = 0;
    for (int n = 0; n < kMapSumCount; ++n) {
        termLow = std::min(termLow, Local_Term(n, c));
        termHigh = std::max(termHigh, Local_Term(n, c));
    }
    mReadsMap = termLow != termHigh;
    // A channel level 0..765 less the term reaches -termHigh..765 - termLow.
    const int low = -termHigh;
    for (int n = 0; n < kMapSumCount; ++n)
        mShift[static_cast<std::size_t>(n)] = -Local_Term(n, c) - low;
    mLevel.resize(static_cast<std::size_t>(kDitherFullLevel + termHigh - termLow + 1));
    for (std::size_t i = 0; i < mLevel.size(); ++i)
        mLevel[i] =
            static_cast<std::uint16_t>(Adjusted_Pixel_Level(static_cast<int>(i) + low, a, b));
}

LinearColour SliderLight::linear(std::uint32_t key) {
    const auto& table = linearOfLevel();
    return {table[key >> 20], table[key >> 10 & 0x3FF], table[key & 0x3FF]};
}

InkColours::InkColours(const InkList& inks, TLevelReading levels) : mInks(inks) {
    const auto& table = linearOfLevel();
    const auto level = [&](std::uint8_t v) {
        return table[3u * (Read_Level_Byte(levels, v))];
    };
    for (const Ink& ink : inks) {
        mLinear.push_back({level(ink.r), level(ink.g), level(ink.b)});
        mLab.push_back(Lab_Of(mLinear.back()));
    }
}

int InkColours::nearest(const LabColour& colour) const {
    int best = 0;
    float bestDistance = distance(colour, mLab[0]);
    for (int i = 1; i < count(); ++i) {
        const float d = distance(colour, mLab[static_cast<std::size_t>(i)]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

int InkColours::nearestLinear(const LinearColour& colour) const {
    int best = 0;
    float bestDistance = std::numeric_limits<float>::max();
    for (int i = 0; i < count(); ++i) {
        const LinearColour& ink = mLinear[static_cast<std::size_t>(i)];
        const float dr = colour.r - ink.r, dg = colour.g - ink.g, db = colour.b - ink.b;
        const float d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

MixTable::MixTable(const InkColours& inks, int parts) : mInks(inks), mParts(parts) {
    for (int low = 0; low < inks.count(); ++low)
        for (int high = low + 1; high < inks.count(); ++high) {
            const LinearColour& l = inks.linear(low);
            const LinearColour& h = inks.linear(high);
            const LinearColour d = {h.r - l.r, h.g - l.g, h.b - l.b};
            const float length = d.r * d.r + d.g * d.g + d.b * d.b;
            if (length == 0) // two inks of one colour: their mixes are the ink's
                continue;
            if (parts < 2) // no mix between the two inks alone
                continue;
            const std::size_t first = mMixLab.size();
            for (int s = 1; s < parts; ++s) {
                const float t = static_cast<float>(s) / static_cast<float>(parts);
                mMixLab.push_back(Lab_Of({l.r + t * d.r, l.g + t * d.g, l.b + t * d.b}));
            }
            // The segment from the first mix to the last, and how far the
            // mixes between bulge from it.
            Pair pair{static_cast<std::uint8_t>(low),
                      static_cast<std::uint8_t>(high),
                      d,
                      1 / length,
                      {},
                      {},
                      0,
                      0,
                      kPairContrastWeight * distance(inks.lab(low), inks.lab(high))};
            pair.start = mMixLab[first];
            const LabColour& end = mMixLab.back();
            pair.span = {end.L - pair.start.L, end.a - pair.start.a, end.b - pair.start.b};
            const float spanLength = distance(end, pair.start);
            pair.inverseSpan = spanLength > 0 ? 1 / spanLength : 0;
            for (std::size_t m = first; m < mMixLab.size(); ++m)
                pair.bulge = std::max(pair.bulge, std::sqrt(segmentDistance(pair, mMixLab[m])));
            pair.bulge = pair.bulge * (1 + 1e-4f) + 1e-6f;
            mPairs.push_back(pair);
        }
    // The contrast cost steers a colour to the nearer of several pairs. Inks
    // of two colours make one pair, and the cost would only give the colours
    // near either ink up to that ink alone.
    const bool onePair = std::all_of(mPairs.begin(), mPairs.end(), [&](const Pair& pair) {
        return sameColour(pair, mPairs.front());
    });
    if (onePair)
        for (Pair& pair : mPairs)
            pair.contrastCost = 0;
}

bool MixTable::sameColour(const Pair& a, const Pair& b) const {
    const auto same = [this](int x, int y) {
        const LinearColour &p = mInks.linear(x), &q = mInks.linear(y);
        return p.r == q.r && p.g == q.g && p.b == q.b;
    };
    return (same(a.low, b.low) && same(a.high, b.high)) || (same(a.low, b.high) && same(a.high, b.low));
}

float MixTable::segmentDistance(const Pair& pair, const LabColour& colour) {
    const LabColour from = {colour.L - pair.start.L, colour.a - pair.start.a,
                            colour.b - pair.start.b};
    const float t = std::clamp(
        (from.L * pair.span.L + from.a * pair.span.a + from.b * pair.span.b) * pair.inverseSpan,
        0.0f, 1.0f);
    const float dL = from.L - t * pair.span.L, da = from.a - t * pair.span.a,
                db = from.b - t * pair.span.b;
    return dL * dL + da * da + db * db;
}

MixChooser::MixChooser(const MixTable& table)
    : mTable(table), mCache(std::size_t{1} << kCacheBits, 0) {}

InkMix MixChooser::choose(std::uint32_t key) {
    std::uint64_t& slot = mCache[slotOf(key)];
    if ((slot & kCacheFilled) && slot >> 32 == key)
        return {static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(slot >> 8),
                static_cast<std::uint8_t>(slot >> 16)};
    const InkMix mix = mTable.search(key);
    slot = std::uint64_t{key} << 32 | kCacheFilled | std::uint64_t{mix.share} << 16 |
           std::uint64_t{mix.high} << 8 | mix.low;
    return mix;
}

bool MixTable::mayBeat(const Pair& pair, const LabColour& lab, float limit) {
    // No mix of a pair whose segment, widened by its bulge, is further than
    // the limit less the pair's cost can come below it.
    if (pair.contrastCost >= limit)
        return false;
    const float reach = std::sqrt(limit - pair.contrastCost) + pair.bulge;
    return segmentDistance(pair, lab) < reach * reach;
}

float MixTable::pairMix(std::size_t p, const LinearColour& colour, const LabColour& lab,
                        std::uint8_t& share) const {
    const Pair& pair = mPairs[p];
    const LinearColour& l = mInks.linear(pair.low);
    const float along =
        ((colour.r - l.r) * pair.direction.r + (colour.g - l.g) * pair.direction.g +
         (colour.b - l.b) * pair.direction.b) *
        pair.inverseLength;
    const int below = static_cast<int>(
        std::floor(std::clamp(along, 0.0f, 1.0f) * static_cast<float>(mParts)));
    const std::size_t stride = static_cast<std::size_t>(mParts - 1);
    float cost = std::numeric_limits<float>::infinity();
    for (int s = std::max(1, below); s <= std::min(mParts - 1, below + 1); ++s) {
        const float d = distance(lab, mMixLab[p * stride + static_cast<std::size_t>(s - 1)]) +
                        pair.contrastCost;
        if (d < cost) {
            cost = d;
            share = static_cast<std::uint8_t>(s);
        }
    }
    return cost;
}

InkMix MixTable::search(std::uint32_t key) const {
    const LinearColour colour = SliderLight::linear(key);
    return search(colour, Lab_Of(colour));
}

InkMix MixTable::search(const LinearColour& colour, const LabColour& lab) const {
    const int single = mInks.nearest(lab);
    InkMix best{static_cast<std::uint8_t>(single), static_cast<std::uint8_t>(single), 0};
    float bestDistance = distance(lab, mInks.lab(single));
    for (std::size_t p = 0; p < mPairs.size(); ++p) {
        const Pair& pair = mPairs[p];
        if (!mayBeat(pair, lab, bestDistance))
            continue;
        std::uint8_t share = 0;
        const float d = pairMix(p, colour, lab, share);
        if (d < bestDistance) {
            bestDistance = d;
            best = {pair.low, pair.high, share};
        }
    }
    return best;
}

std::vector<MixTable::RankedMix> MixTable::ranked(std::uint32_t key, int count) const {
    const LinearColour colour = SliderLight::linear(key);
    const LabColour lab = Lab_Of(colour);
    const auto size = static_cast<std::size_t>(count);
    std::vector<RankedMix> list;
    list.reserve(size + 1);
    // Entries come in rank order among equals, so one of equal cost goes
    // after those already listed.
    const auto add = [&](const RankedMix& entry) {
        if (list.size() == size && entry.cost >= list.back().cost)
            return;
        auto at = std::upper_bound(list.begin(), list.end(), entry.cost,
                                   [](float cost, const RankedMix& e) { return cost < e.cost; });
        list.insert(at, entry);
        if (list.size() > size)
            list.pop_back();
    };
    const auto limit = [&] {
        return list.size() < size ? std::numeric_limits<float>::infinity() : list.back().cost;
    };
    for (int i = 0; i < mInks.count(); ++i)
        add({distance(lab, mInks.lab(i)), static_cast<std::uint16_t>(i),
             {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0}});
    for (std::size_t p = 0; p < mPairs.size(); ++p) {
        const Pair& pair = mPairs[p];
        if (!mayBeat(pair, lab, limit()))
            continue;
        std::uint8_t share = 0;
        const float cost = pairMix(p, colour, lab, share);
        add({cost, static_cast<std::uint16_t>(mInks.count() + static_cast<int>(p)),
             {pair.low, pair.high, share}});
    }
    return list;
}
