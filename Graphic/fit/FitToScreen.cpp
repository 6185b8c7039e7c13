#include "FitToScreen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "Engine.h"
#include "RowThreads.h"

namespace {

// Linear light is held in 16 bits (0..65535) per channel for summing, as
// floats 0..1 while weighing, and looked up back to sRGB bytes in 65536
// steps: every byte value comes back exactly as it went in.
constexpr int kLinearSteps = 65535;

struct LightTables {
    std::array<std::uint16_t, 256> linear{}; // sRGB byte -> linear step
    std::vector<std::uint8_t> srgb =
        std::vector<std::uint8_t>(kLinearSteps + 1); // linear step -> sRGB byte

    LightTables() {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            const double l = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            linear[static_cast<std::size_t>(v)] =
                static_cast<std::uint16_t>(std::lround(l * kLinearSteps));
        }
        // The curve rises, so each byte value holds one run of steps: its
        // end is found by halving, some 4,000 powers rather than 65,536.
        int first = 0;
        for (int value = 0; value < 256; ++value) {
            int low = first, high = kLinearSteps + 1;
            while (low < high) {
                const int middle = (low + high) / 2;
                if (byteOfStep(middle) > value)
                    high = middle;
                else
                    low = middle + 1;
            }
            std::fill(srgb.begin() + first, srgb.begin() + low, static_cast<std::uint8_t>(value));
            first = low;
        }
    }
    // The sRGB byte of linear step q.
    static int byteOfStep(int q) {
        const double l = static_cast<double>(q) / kLinearSteps;
        const double c = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
        return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
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

// A crop position along one axis as a share of the spare length; a value
// that is not a number is the middle.
double alongAxis(double position) {
    return std::isnan(position) ? 0.5 : std::clamp(position, 0.0, 1.0);
}

} // namespace

TFitPlacement Fit_Placement(int width, int height, TFitMode mode, const ScreenMode& screen,
                            TCropPosition cropAt) {
    if (width <= 0 || height <= 0)
        return {0, 0, 0, 0, 0, 0, 0, 0};
    const double sourceAspect = static_cast<double>(width) / height;
    const double screenAspect = screen.width * screen.pixelAspect / screen.height;
    TFitPlacement p{0, 0, static_cast<double>(width), static_cast<double>(height), 0, 0, screen.width, screen.height};
    if (mode == TFitMode::Crop) {
        if (sourceAspect > screenAspect) {
            p.sourceWidth = height * screenAspect;
            p.sourceX = (width - p.sourceWidth) * alongAxis(cropAt.x);
        } else {
            p.sourceHeight = width / screenAspect;
            p.sourceY = (height - p.sourceHeight) * alongAxis(cropAt.y);
        }
    } else if (mode == TFitMode::Pad) {
        if (sourceAspect >= screenAspect)
            p.height = std::clamp(
                static_cast<int>(std::lround(screen.width * screen.pixelAspect * height / width)), 1,
                screen.height);
        else
            p.width = std::clamp(
                static_cast<int>(std::lround(screen.height * sourceAspect / screen.pixelAspect)), 1,
                screen.width);
        p.left = (screen.width - p.width) / 2;
        p.top = (screen.height - p.height) / 2;
    }
    return p;
}

namespace {

// The source pixels one output pixel is made of along one axis: count
// neighbours from first, weighted firstWeight, innerWeight each for those
// between, and lastWeight for the last one (weights summing to 1).
struct Taps {
    int first = 0, count = 1;
    float firstWeight = 1, innerWeight = 0, lastWeight = 0;
    float weight(int t) const {
        return t == 0 ? firstWeight : t == count - 1 ? lastWeight : innerWeight;
    }
};

// The taps of every output pixel along one axis. Shrinking averages the
// covered area, partly covered pixels by the part covered, so every pixel
// strictly inside weighs the same; enlarging interpolates between the two
// nearest pixel centres, the picture's edge pixels repeated beyond it.
std::vector<Taps> axisTaps(int sourceLength, double start, double length, int outLength) {
    const double scale = length / outLength;
    std::vector<Taps> axis(static_cast<std::size_t>(outLength));
    for (int i = 0; i < outLength; ++i) {
        Taps& taps = axis[static_cast<std::size_t>(i)];
        if (scale > 1) {
            const double lo = start + i * scale, hi = lo + scale;
            const int begin = std::max(0, static_cast<int>(std::floor(lo)));
            const int end =
                std::max(begin + 1, std::min(sourceLength, static_cast<int>(std::ceil(hi))));
            const auto covered = [&](int k) {
                return std::min(hi, k + 1.0) - std::max(lo, static_cast<double>(k));
            };
            taps.first = begin;
            taps.count = end - begin;
            const double firstPart = covered(begin),
                         lastPart = taps.count > 1 ? covered(end - 1) : 0;
            const double sum = firstPart + lastPart + std::max(0, taps.count - 2);
            taps.firstWeight = static_cast<float>(firstPart / sum);
            taps.innerWeight = static_cast<float>(1 / sum);
            taps.lastWeight = static_cast<float>(lastPart / sum);
        } else {
            const double centre = start + (i + 0.5) * scale - 0.5;
            const double below = std::floor(centre), fraction = centre - below;
            const auto clampIndex = [&](double k) {
                return std::clamp(static_cast<int>(k), 0, sourceLength - 1);
            };
            taps.first = clampIndex(below);
            if (fraction > 0 && clampIndex(below + 1) != taps.first) {
                taps.count = 2;
                taps.firstWeight = static_cast<float>(1 - fraction);
                taps.lastWeight = static_cast<float>(fraction);
            }
        }
    }
    return axis;
}

// Resamples the source span onto the placement, row by row of the output:
// each source row is taken to linear light and resampled across once, and
// the output row sums the resampled rows it is made of. The two rows most
// recently resampled are kept, which is every row two output rows share.
class Resampler {
  public:
    Resampler(const TPicture& source, const TFitPlacement& p)
        : mSource(source), mAcross(axisTaps(source.GetWidth(), p.sourceX, p.sourceWidth, p.width)),
          mDown(axisTaps(source.GetHeight(), p.sourceY, p.sourceHeight, p.height)),
          mSum(3 * static_cast<std::size_t>(p.width)) {
        for (Cached& slot : mCache)
            slot.values.resize(mSum.size());
    }

    void row(int j, std::uint8_t* out) {
        std::fill(mSum.begin(), mSum.end(), 0.0f);
        const Taps& down = mDown[static_cast<std::size_t>(j)];
        for (int t = 0; t < down.count; ++t) {
            const float w = down.weight(t);
            const float* across = resampledRow(down.first + t);
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

    // The inner pixels, which weigh the same, are summed as integers, which
    // keeps the additions from waiting on one another as float ones would.
    void resampleAcross(const std::uint8_t* row, float* out) const {
        const std::array<std::uint16_t, 256>& linear = lightTables().linear;
        constexpr float kUnit = 1.0f / kLinearSteps;
        for (const Taps& taps : mAcross) {
            const std::uint8_t* p = row + 3 * static_cast<std::ptrdiff_t>(taps.first);
            float b = taps.firstWeight * linear[p[0]], g = taps.firstWeight * linear[p[1]],
                  r = taps.firstWeight * linear[p[2]];
            if (taps.count > 1) {
                std::uint64_t innerB = 0, innerG = 0, innerR = 0;
                const std::uint8_t* const last =
                    p + 3 * static_cast<std::ptrdiff_t>(taps.count - 1);
                for (p += 3; p < last; p += 3) {
                    innerB += linear[p[0]];
                    innerG += linear[p[1]];
                    innerR += linear[p[2]];
                }
                b += taps.innerWeight * static_cast<float>(innerB) +
                     taps.lastWeight * linear[last[0]];
                g += taps.innerWeight * static_cast<float>(innerG) +
                     taps.lastWeight * linear[last[1]];
                r += taps.innerWeight * static_cast<float>(innerR) +
                     taps.lastWeight * linear[last[2]];
            }
            out[0] = b * kUnit;
            out[1] = g * kUnit;
            out[2] = r * kUnit;
            out += 3;
        }
    }

    const TPicture& mSource;
    std::vector<Taps> mAcross, mDown;
    std::vector<float> mSum;
    std::array<Cached, 2> mCache;
};

} // namespace

void Fit_To_Screen(TPicture& source, TPicture& result, TFitMode mode, const ScreenMode& screen,
                   TCropPosition cropAt) {
    if (mode == TFitMode::Off) {
        Copy_Picture(result, source);
        return;
    }
    source.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetWidth(screen.width);
    result.SetHeight(screen.height);
    for (int y = 0; y < screen.height; ++y)
        std::memset(result.GetScanline(y), 0, 3 * static_cast<std::size_t>(screen.width));
    if (source.GetWidth() <= 0 || source.GetHeight() <= 0)
        return;
    const TFitPlacement placement = Fit_Placement(source.GetWidth(), source.GetHeight(), mode, screen, cropAt);
    // An output row is the same whichever resampler makes it: each band
    // keeps its own cache of resampled rows.
    const double sourceRowsPerRow = placement.sourceHeight / placement.height;
    const int rowsPerThread = Rows_Worth_A_Thread(
        static_cast<int>(std::min(1e9, std::max(1.0, sourceRowsPerRow) * source.GetWidth())));
    const std::vector<std::uint8_t*> out = Writable_Rows(result);
    Run_Over_Rows(placement.height, rowsPerThread, [&](int first, int last) {
        Resampler resampler(std::as_const(source), placement);
        for (int j = first; j < last; ++j)
            resampler.row(j, out[static_cast<std::size_t>(placement.top + j)] + 3 * placement.left);
    });
}

int Fit_Decode_Divisor(int width, int height, TFitMode mode, const ScreenMode& screen) {
    if (mode == TFitMode::Off || width <= 0 || height <= 0)
        return 1;
    const TFitPlacement p = Fit_Placement(width, height, mode, screen);
    int divisor = 1;
    for (const int larger : {2, 4, 8})
        if (p.sourceWidth / larger >= 2 * screen.width && p.sourceHeight / larger >= 2 * screen.height)
            divisor = larger;
    return divisor;
}
