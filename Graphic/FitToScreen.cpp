#include "FitToScreen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "Engine.h"

namespace {

// Linear light is stored as floats 0..1 while averaging, and looked up back
// to sRGB bytes through this many steps; at 65536 every byte value comes
// back exactly as it went in.
constexpr int kLinearSteps = 65535;

struct LightTables {
    std::array<float, 256> linear{};                   // sRGB byte -> linear light 0..1
    std::vector<std::uint8_t> srgb = std::vector<std::uint8_t>(kLinearSteps + 1); // linear step -> sRGB byte

    LightTables() {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            linear[static_cast<std::size_t>(v)] =
                static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        for (int q = 0; q <= kLinearSteps; ++q) {
            const double l = static_cast<double>(q) / kLinearSteps;
            const double c = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            srgb[static_cast<std::size_t>(q)] = static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
        }
    }
    std::uint8_t encode(float l) const {
        const long q = std::lround(std::clamp(l, 0.0f, 1.0f) * kLinearSteps);
        return srgb[static_cast<std::size_t>(q)];
    }
};

const LightTables& lightTables() {
    static const LightTables tables;
    return tables;
}

// A span of source pixels, in fractional pixels, and where it lands on the
// screen, in whole screen pixels.
struct Placement {
    double sourceX, sourceY, sourceWidth, sourceHeight;
    int left, top, width, height;
};

Placement placementFor(int width, int height, TFitMode mode) {
    const double sourceAspect = static_cast<double>(width) / height;
    Placement p{0, 0, static_cast<double>(width), static_cast<double>(height), 0, 0, kScreenWidth, kScreenHeight};
    if (mode == TFitMode::Crop) {
        if (sourceAspect > kScreenAspect) {
            p.sourceWidth = height * kScreenAspect;
            p.sourceX = (width - p.sourceWidth) / 2;
        } else {
            p.sourceHeight = width / kScreenAspect;
            p.sourceY = (height - p.sourceHeight) / 2;
        }
    } else if (mode == TFitMode::Pad) {
        if (sourceAspect >= kScreenAspect)
            p.height = std::clamp(static_cast<int>(std::lround(kScreenWidth * kMode1PixelAspect * height / width)), 1,
                                  kScreenHeight);
        else
            p.width = std::clamp(static_cast<int>(std::lround(kScreenHeight * sourceAspect / kMode1PixelAspect)), 1,
                                 kScreenWidth);
        p.left = (kScreenWidth - p.width) / 2;
        p.top = (kScreenHeight - p.height) / 2;
    }
    return p;
}

// For each output pixel along one axis, the source pixels it is made of and
// their weights (summing to 1). Shrinking averages the covered area, partly
// covered pixels by the part covered; enlarging interpolates between the
// two nearest pixel centres, the picture's edge pixels repeated beyond it.
struct AxisWeights {
    std::vector<int> first, count, offset;
    std::vector<float> weights;

    AxisWeights(int sourceLength, double start, double length, int outLength) {
        const double scale = length / outLength;
        std::vector<std::pair<int, double>> taps;
        for (int i = 0; i < outLength; ++i) {
            taps.clear();
            if (scale > 1) {
                const double lo = start + i * scale, hi = lo + scale;
                const int kEnd = std::min(sourceLength, static_cast<int>(std::ceil(hi)));
                for (int k = std::max(0, static_cast<int>(std::floor(lo))); k < kEnd; ++k) {
                    const double covered = std::min(hi, k + 1.0) - std::max(lo, static_cast<double>(k));
                    if (covered > 0)
                        taps.emplace_back(k, covered);
                }
            } else {
                const double centre = start + (i + 0.5) * scale - 0.5;
                const double below = std::floor(centre);
                const double fraction = centre - below;
                const auto clampIndex = [&](double k) { return std::clamp(static_cast<int>(k), 0, sourceLength - 1); };
                taps.emplace_back(clampIndex(below), 1 - fraction);
                if (fraction > 0) {
                    if (clampIndex(below + 1) == taps.back().first)
                        taps.back().second = 1;
                    else
                        taps.emplace_back(clampIndex(below + 1), fraction);
                }
            }
            double sum = 0;
            for (const auto& tap : taps)
                sum += tap.second;
            first.push_back(taps.front().first);
            count.push_back(static_cast<int>(taps.size()));
            offset.push_back(static_cast<int>(weights.size()));
            for (const auto& tap : taps)
                weights.push_back(static_cast<float>(tap.second / sum));
        }
    }
};

// Resamples the source span onto the placement, row by row of the output:
// each source row is taken to linear light and resampled across once, and
// the output row sums the resampled rows it is made of. The two rows most
// recently resampled are kept, which is every row two output rows share.
class Resampler {
  public:
    Resampler(const TPicture& source, const Placement& p)
        : mSource(source), mAcross(source.GetWidth(), p.sourceX, p.sourceWidth, p.width),
          mDown(source.GetHeight(), p.sourceY, p.sourceHeight, p.height), mWidth(p.width),
          mSum(3 * static_cast<std::size_t>(p.width)) {
        for (Cached& slot : mCache)
            slot.values.resize(mSum.size());
    }

    void row(int j, std::uint8_t* out) {
        std::fill(mSum.begin(), mSum.end(), 0.0f);
        const int offset = mDown.offset[static_cast<std::size_t>(j)];
        for (int t = 0; t < mDown.count[static_cast<std::size_t>(j)]; ++t) {
            const float w = mDown.weights[static_cast<std::size_t>(offset + t)];
            const float* across = resampledRow(mDown.first[static_cast<std::size_t>(j)] + t);
            for (std::size_t i = 0; i < mSum.size(); ++i)
                mSum[i] += w * across[i];
        }
        const LightTables& light = lightTables();
        for (std::size_t i = 0; i < mSum.size(); ++i)
            out[i] = light.encode(mSum[i]);
    }

  private:
    struct Cached {
        int y = -1;
        std::vector<float> values;
    };

    const float* resampledRow(int y) {
        for (Cached& slot : mCache)
            if (slot.y == y)
                return slot.values.data();
        Cached& slot = mCache[0].y < mCache[1].y ? mCache[0] : mCache[1];
        slot.y = y;
        resampleAcross(mSource.GetScanline(y), slot.values.data());
        return slot.values.data();
    }

    void resampleAcross(const std::uint8_t* row, float* out) const {
        const std::array<float, 256>& linear = lightTables().linear;
        for (int i = 0; i < mWidth; ++i, out += 3) {
            const std::uint8_t* pixel = row + 3 * static_cast<std::ptrdiff_t>(mAcross.first[static_cast<std::size_t>(i)]);
            const float* w = mAcross.weights.data() + mAcross.offset[static_cast<std::size_t>(i)];
            float b = 0, g = 0, r = 0;
            for (int t = 0; t < mAcross.count[static_cast<std::size_t>(i)]; ++t, pixel += 3) {
                b += w[t] * linear[pixel[0]];
                g += w[t] * linear[pixel[1]];
                r += w[t] * linear[pixel[2]];
            }
            out[0] = b;
            out[1] = g;
            out[2] = r;
        }
    }

    const TPicture& mSource;
    AxisWeights mAcross, mDown;
    int mWidth;
    std::vector<float> mSum;
    std::array<Cached, 2> mCache;
};

} // namespace

void Fit_To_Screen(TPicture& source, TPicture& result, TFitMode mode) {
    if (mode == TFitMode::Off) {
        Copy_Picture(result, source);
        return;
    }
    source.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetWidth(kScreenWidth);
    result.SetHeight(kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y)
        std::memset(result.GetScanline(y), 0, 3 * kScreenWidth);
    if (source.GetWidth() <= 0 || source.GetHeight() <= 0)
        return;
    const Placement placement = placementFor(source.GetWidth(), source.GetHeight(), mode);
    Resampler resampler(std::as_const(source), placement);
    for (int j = 0; j < placement.height; ++j)
        resampler.row(j, result.GetScanline(placement.top + j) + 3 * placement.left);
}
