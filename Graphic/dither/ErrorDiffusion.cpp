#include "ErrorDiffusion.h"

#include <algorithm>
#include <cmath>

#include "DitherColour.h"
#include "InkHull.h"

namespace {

// What the shares leave of the error, as a ratio to what they pass on.
float Rest_Of(const DiffusionKernel& kernel) {
    float shared = 0;
    for (const ErrorShare& share : kernel.shares)
        shared += share.weight;
    return shared > 0 ? (1 - shared) / shared : 0;
}

// A share's weight from a pixel whose source colour is here to one whose
// source colour is there: the share's own, and the rest in proportion,
// less the further apart they are.
float Edge_Weight(const ErrorShare& share, float rest, float edgeDistance, const LabColour& here,
                  const LabColour& there) {
    float weight = share.weight;
    const float dL = here.L - there.L, da = here.a - there.a, db = here.b - there.b;
    const float apart = std::sqrt(dL * dL + da * da + db * db) / edgeDistance;
    if (apart < 1)
        weight += share.weight * rest * (1 - apart);
    return weight;
}

// Error rows kept: the kernel reaches two rows down.
constexpr int kErrorRows = 3;
constexpr float kCarryMargin = 0.5f;

// The error passed on lives in the run between calls: the rows below the
// last rendered one have their share of it waiting.
class DiffusionRun final : public TDitherRun {
  public:
    DiffusionRun(const InkList& inks, int a, int b, int c, const DiffusionKernel& kernel,
                 TLevelReading levels, std::shared_ptr<const DiffusionEdges> edges)
        : DiffusionRun(SliderLight(a, b, c, levels), inks, kernel, levels) {
        mA = a, mB = b, mC = c, mLevels = levels;
        mEdges = std::move(edges);
    }

  private:
    DiffusionRun(const SliderLight& light, const InkList& inks, const DiffusionKernel& kernel,
                 TLevelReading levels)
        : TDitherRun(light.readsMap(), true), mKernel(kernel), mLight(light),
          mColours(inks, levels),
          mHull(mColours), mRest(Rest_Of(kernel)) {}

    void render(const TPicture& source, const TPicture& map, const std::vector<std::uint8_t*>& rows,
                int first, int last) override {
        const int width = source.GetWidth();
        const std::size_t rowLength = static_cast<std::size_t>(width);
        if (mError.empty())
            mError.resize(kErrorRows * rowLength);
        if (mEdges && !mEdges->fits(source, mA, mB, mC, mLevels))
            mEdges.reset();
        const DiffusionEdges* edges = mEdges.get();
        const bool byEdges = mKernel.edgeDistance > 0 && !edges;
        if (byEdges && mSourceLab.empty()) {
            mSourceLab.resize(kErrorRows * rowLength);
            mLabRows = first;
        }
        const auto sourceLabAt = [&](int y, int x) -> LabColour& {
            return mSourceLab[static_cast<std::size_t>(y % kErrorRows) * rowLength +
                              static_cast<std::size_t>(x)];
        };
        const auto errorAt = [&](int y, int x) -> LinearColour& {
            return mError[static_cast<std::size_t>(y % kErrorRows) * rowLength +
                          static_cast<std::size_t>(x)];
        };
        for (int y = first; y < last; ++y) {
            const std::uint8_t* src = source.GetScanline(y);
            const std::uint8_t* mapRow = mLight.readsMap() ? map.GetScanline(y) : nullptr;
            std::uint8_t* out = rows[static_cast<std::size_t>(y - first)];
            // The source's OKLab is read ahead as far as the kernel reaches.
            for (; byEdges && mLabRows <= std::min(y + kErrorRows - 1, source.GetHeight() - 1);
                 ++mLabRows) {
                const std::uint8_t* labSrc = source.GetScanline(mLabRows);
                const std::uint8_t* labMap = mLight.readsMap() ? map.GetScanline(mLabRows) : nullptr;
                for (int x = 0; x < width; ++x) {
                    const std::size_t at = 3 * static_cast<std::size_t>(x);
                    sourceLabAt(mLabRows, x) = Lab_Of(SliderLight::linear(
                        mLight.key(labSrc + at, labMap ? labMap + at : nullptr)));
                }
            }
            const bool backwards = mKernel.serpentine && (y & 1);
            const int step = backwards ? -1 : 1;
            for (int i = 0; i < width; ++i) {
                const int x = backwards ? width - 1 - i : i;
                const std::size_t at = 3 * static_cast<std::size_t>(x);
                // A colour the inks cannot reach is aimed at as its nearest one
                // they can: the part no mix shows is never passed on.
                const LinearColour pixel = mHull.nearest(
                    edges ? edges->linear(x, y)
                          : SliderLight::linear(mLight.key(src + at, mapRow ? mapRow + at : nullptr)));
                LinearColour& carried = errorAt(y, x);
                // The carried colour is held to a channel's range widened by half
                // of it, so a colour no ink mix reaches cannot pile up error
                // without end.
                const auto carry = [](float v) {
                    return std::clamp(v, -kCarryMargin, 1 + kCarryMargin);
                };
                const LinearColour wanted = {carry(pixel.r + carried.r), carry(pixel.g + carried.g),
                                             carry(pixel.b + carried.b)};
                carried = {};
                // A colour past a channel's range is no colour OKLab can judge:
                // clipped, the part past the range would be lost to the choice,
                // and a dark area would keep taking the dark ink nearest in
                // lightness while its error piled up.
                const bool realColour = wanted.r >= 0 && wanted.r <= 1 && wanted.g >= 0 &&
                                        wanted.g <= 1 && wanted.b >= 0 && wanted.b <= 1;
                const int ink = mKernel.choice == DiffusionChoice::LinearLight || !realColour
                                    ? mColours.nearestLinear(wanted)
                                    : mColours.nearest(Lab_Of({std::clamp(wanted.r, 0.0f, 1.0f),
                                                               std::clamp(wanted.g, 0.0f, 1.0f),
                                                               std::clamp(wanted.b, 0.0f, 1.0f)}));
                mColours.put(ink, out + at);
                const LinearColour& shown = mColours.linear(ink);
                const LinearColour left = {wanted.r - shown.r, wanted.g - shown.g,
                                           wanted.b - shown.b};
                const float* weights = edges ? edges->at(x, y) : nullptr;
                for (std::size_t s = 0; s < mKernel.shares.size(); ++s) {
                    const ErrorShare& share = mKernel.shares[s];
                    const int tx = x + step * share.dx;
                    if (tx < 0 || tx >= width) // error past the edge is dropped
                        continue;
                    float weight = share.weight;
                    if (weights)
                        weight = weights[s];
                    else if (byEdges && y + share.dy < source.GetHeight())
                        weight = Edge_Weight(share, mRest, mKernel.edgeDistance, sourceLabAt(y, x),
                                             sourceLabAt(y + share.dy, tx));
                    LinearColour& to = errorAt(y + share.dy, tx);
                    to.r += weight * left.r;
                    to.g += weight * left.g;
                    to.b += weight * left.b;
                }
            }
        }
    }

    DiffusionKernel mKernel;
    SliderLight mLight;
    InkColours mColours;
    InkHull mHull; // reads mColours
    // What the shares leave of the error, as a ratio to what they pass on.
    float mRest = 0;
    std::vector<LinearColour> mError; // kErrorRows rows of error waiting, by row number modulo
    // With edgeDistance: the source's OKLab, kErrorRows rows by row number
    // modulo, read up to row mLabRows - 1.
    std::vector<LabColour> mSourceLab;
    int mLabRows = 0;
    // Weights worked out before for this source, with what they were made for.
    std::shared_ptr<const DiffusionEdges> mEdges;
    int mA = 0, mB = 0, mC = 0;
    TLevelReading mLevels = TLevelReading::Bytes;
};

} // namespace

DiffusionEdges::DiffusionEdges(const TPicture& source, const TPicture& map, int a, int b, int c,
                               const DiffusionKernel& kernel, TLevelReading levels)
    : mPixels(source.GetScanline(0)), mWidth(source.GetWidth()), mHeight(source.GetHeight()), mA(a), mB(b),
      mC(c), mLevels(levels), mShares(kernel.shares.size()) {
    const SliderLight light(a, b, c, levels);
    const auto w = static_cast<std::size_t>(mWidth);
    mLinear.resize(w * static_cast<std::size_t>(mHeight));
    std::vector<LabColour> lab(kernel.edgeDistance > 0 ? mLinear.size() : 0);
    for (int y = 0; y < mHeight; ++y) {
        const std::uint8_t* src = source.GetScanline(y);
        const std::uint8_t* mapRow = light.readsMap() ? map.GetScanline(y) : nullptr;
        for (int x = 0; x < mWidth; ++x) {
            const std::size_t at = 3 * static_cast<std::size_t>(x);
            const std::size_t i = static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x);
            mLinear[i] = SliderLight::linear(light.key(src + at, mapRow ? mapRow + at : nullptr));
            if (!lab.empty())
                lab[i] = Lab_Of(mLinear[i]);
        }
    }
    const float rest = Rest_Of(kernel);
    mWeights.resize(mLinear.size() * mShares);
    for (int y = 0; y < mHeight; ++y) {
        const int step = kernel.serpentine && (y & 1) ? -1 : 1;
        for (int x = 0; x < mWidth; ++x) {
            float* weights = mWeights.data() + (static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) * mShares;
            for (std::size_t s = 0; s < mShares; ++s) {
                const ErrorShare& share = kernel.shares[s];
                const int tx = x + step * share.dx;
                weights[s] = share.weight;
                if (kernel.edgeDistance > 0 && tx >= 0 && tx < mWidth && y + share.dy < mHeight)
                    weights[s] = Edge_Weight(
                        share, rest, kernel.edgeDistance,
                        lab[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)],
                        lab[static_cast<std::size_t>(y + share.dy) * w + static_cast<std::size_t>(tx)]);
            }
        }
    }
}

bool DiffusionEdges::fits(const TPicture& source, int a, int b, int c, TLevelReading levels) const {
    return source.GetScanline(0) == mPixels && source.GetWidth() == mWidth && source.GetHeight() == mHeight &&
           a == mA && b == mB && c == mC && levels == mLevels;
}

std::unique_ptr<TDitherRun> Start_Error_Diffusion(const InkList& inks, int a, int b, int c,
                                                  const DiffusionKernel& kernel, TLevelReading levels,
                                                  std::shared_ptr<const DiffusionEdges> edges) {
    return std::make_unique<DiffusionRun>(inks, a, b, c, kernel, levels, std::move(edges));
}
