#include "InkSetProxy.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <utility>

#include "Picture.h"

namespace {

// Bins a channel: 16 of them over 0..1 in sRGB terms, through the byte value.
constexpr int kBinLevels = 16;
// Mix steps between two inks.
constexpr int kMixSteps = 16;
// What the measure's blur leaves of pixel-to-pixel noise: the root of the
// sum of the squared weights of a 2-D Gaussian of sigma 1, 1 / (2 sqrt(pi)).
constexpr double kGrainLeft = 0.28209479177387814;

std::size_t pairIndex(int i, int j) {
    if (i > j)
        std::swap(i, j);
    return static_cast<std::size_t>(i * kColourCount + j);
}

std::array<double, 3> linearOfColour(int number) {
    const Ink ink = Ink_From_Colour_Number(number);
    return {Linear_From_Byte(ink.r), Linear_From_Byte(ink.g), Linear_From_Byte(ink.b)};
}

// The sRGB byte of linear light 0..1, by search in the byte table.
int byteOfLinear(float linear) {
    int low = 0, high = 255;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (Linear_From_Byte(static_cast<std::uint8_t>(middle)) < linear)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

const std::vector<OkLab>& Cpc_Colours_Lab() {
    static const std::vector<OkLab> colours = [] {
        std::vector<OkLab> lab;
        for (int n = 0; n < kColourCount; ++n) {
            const auto l = linearOfColour(n);
            lab.push_back(OkLab_From_Linear(l[0], l[1], l[2]));
        }
        return lab;
    }();
    return colours;
}

InkSetProxy::InkSetProxy(const PerceptualReference& reference, bool mixes, double pairCost)
    : mMixes(mixes), mPairCost(pairCost) {
    // Bin colours as sums, ordered by bin number so the bins come out the
    // same way every time.
    std::map<int, std::array<double, 4>> bins;
    const std::vector<float>& linear = reference.blurredLinear();
    std::array<int, 256> binOfByte;
    for (std::size_t v = 0; v < binOfByte.size(); ++v)
        binOfByte[v] = static_cast<int>(v) * kBinLevels / 256;
    for (std::size_t p = 0; p + 2 < linear.size(); p += 3) {
        int key = 0;
        for (std::size_t c = 0; c < 3; ++c)
            key = key * kBinLevels +
                  binOfByte[static_cast<std::size_t>(byteOfLinear(linear[p + c]))];
        std::array<double, 4>& sum = bins[key];
        sum[0] += linear[p];
        sum[1] += linear[p + 1];
        sum[2] += linear[p + 2];
        sum[3] += 1;
    }
    for (const auto& [key, sum] : bins) {
        mColour.push_back(OkLab_From_Linear(sum[0] / sum[3], sum[1] / sum[3], sum[2] / sum[3]));
        mWeight.push_back(sum[3]);
    }
    const std::size_t binCount = mColour.size();
    mDistance.resize(static_cast<std::size_t>(kColourCount * kColourCount));
    if (mPairCost > 0)
        mPick.resize(mDistance.size());
    for (int i = 0; i < kColourCount; ++i)
        for (int j = i; j < kColourCount; ++j) {
            if (i != j && !mMixes)
                continue;
            const auto li = linearOfColour(i), lj = linearOfColour(j);
            std::vector<OkLab> steps;
            std::vector<double> grain;
            const double contrast = Cell_Distance(Cpc_Colours_Lab()[static_cast<std::size_t>(i)],
                                                  Cpc_Colours_Lab()[static_cast<std::size_t>(j)]);
            for (int k = 0; k <= (i == j ? 0 : kMixSteps); ++k) {
                const double t = static_cast<double>(k) / kMixSteps;
                steps.push_back(OkLab_From_Linear((1 - t) * li[0] + t * lj[0],
                                                  (1 - t) * li[1] + t * lj[1],
                                                  (1 - t) * li[2] + t * lj[2]));
                grain.push_back(kGrainLeft * kGrainLeft * contrast * t * (1 - t));
            }
            std::vector<float>& distance = mDistance[pairIndex(i, j)];
            distance.resize(binCount);
            if (mPairCost > 0) {
                std::vector<float>& pick = mPick[pairIndex(i, j)];
                pick.resize(binCount);
                for (std::size_t b = 0; b < binCount; ++b) {
                    std::size_t best = 0;
                    for (std::size_t k = 1; k < steps.size(); ++k)
                        if (Cell_Distance(mColour[b], steps[k]) < Cell_Distance(mColour[b], steps[best]))
                            best = k;
                    const double d = Cell_Distance(mColour[b], steps[best]);
                    pick[b] = static_cast<float>(d + (i == j ? 0 : mPairCost * contrast));
                    distance[b] = static_cast<float>(std::sqrt(d + grain[best]));
                }
                continue;
            }
            for (std::size_t b = 0; b < binCount; ++b) {
                double nearest = std::numeric_limits<double>::infinity();
                for (std::size_t k = 0; k < steps.size(); ++k)
                    nearest = std::min(nearest, Cell_Distance(mColour[b], steps[k]) + grain[k]);
                distance[b] = static_cast<float>(std::sqrt(nearest));
            }
        }
}

InkSetProxy::Nearest InkSetProxy::start() const {
    const std::size_t binCount = mColour.size();
    Nearest nearest;
    nearest.distance.assign(binCount, std::numeric_limits<float>::infinity());
    if (mPairCost > 0) {
        nearest.picked.assign(binCount, std::numeric_limits<float>::infinity());
        nearest.place.assign(binCount, std::numeric_limits<int>::max());
    }
    return nearest;
}

void InkSetProxy::take(Nearest& nearest, int x, int y, int place) const {
    const std::size_t binCount = mColour.size();
    const std::vector<float>& distance = mDistance[pairIndex(x, y)];
    if (mPairCost > 0) {
        const std::vector<float>& pick = mPick[pairIndex(x, y)];
        for (std::size_t b = 0; b < binCount; ++b)
            if (pick[b] < nearest.picked[b] ||
                (pick[b] == nearest.picked[b] && place < nearest.place[b])) {
                nearest.picked[b] = pick[b];
                nearest.place[b] = place;
                nearest.distance[b] = distance[b];
            }
        return;
    }
    for (std::size_t b = 0; b < binCount; ++b)
        nearest.distance[b] = std::min(nearest.distance[b], distance[b]);
}

double InkSetProxy::total(const Nearest& nearest) const {
    double sum = 0, pixels = 0;
    for (std::size_t b = 0; b < mColour.size(); ++b) {
        sum += mWeight[b] * nearest.distance[b];
        pixels += mWeight[b];
    }
    return 100 * sum / pixels;
}

double InkSetProxy::error(const std::vector<int>& numbers) const {
    if (mColour.empty() || numbers.empty())
        return 0;
    Nearest nearest = start();
    const int count = static_cast<int>(numbers.size());
    for (int i = 0; i < count; ++i) {
        take(nearest, numbers[static_cast<std::size_t>(i)], numbers[static_cast<std::size_t>(i)], i * count + i);
        if (mMixes)
            for (int j = i + 1; j < count; ++j)
                take(nearest, numbers[static_cast<std::size_t>(i)], numbers[static_cast<std::size_t>(j)],
                     i * count + j);
    }
    return total(nearest);
}

std::vector<double> InkSetProxy::errorsOfSwaps(const std::vector<int>& numbers, std::size_t slot,
                                               const std::vector<int>& replacements) const {
    std::vector<double> errors;
    if (mColour.empty() || numbers.empty()) {
        errors.assign(replacements.size(), 0);
        return errors;
    }
    const int count = static_cast<int>(numbers.size()), s = static_cast<int>(slot);
    const auto at = [&](int i) { return numbers[static_cast<std::size_t>(i)]; };
    Nearest shared = start();
    for (int i = 0; i < count; ++i) {
        if (i == s)
            continue;
        take(shared, at(i), at(i), i * count + i);
        if (mMixes)
            for (int j = i + 1; j < count; ++j)
                if (j != s)
                    take(shared, at(i), at(j), i * count + j);
    }
    for (int r : replacements) {
        Nearest nearest = shared;
        take(nearest, r, r, s * count + s);
        if (mMixes)
            for (int i = 0; i < count; ++i)
                if (i != s)
                    take(nearest, at(i), r, std::min(i, s) * count + std::max(i, s));
        errors.push_back(total(nearest));
    }
    return errors;
}
