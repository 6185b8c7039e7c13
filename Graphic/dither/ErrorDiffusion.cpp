#include "ErrorDiffusion.h"

#include <algorithm>
#include <cmath>

#include "DitherColour.h"
#include "InkHull.h"

namespace {

// Error rows kept: the kernel reaches two rows down.
constexpr int kErrorRows = 3;
constexpr float kCarryMargin = 0.5f;

// The error passed on lives in the run between calls: the rows below the
// last rendered one have their share of it waiting.
class DiffusionRun final : public TDitherRun {
  public:
    DiffusionRun(const InkList& inks, int a, int b, int c, const DiffusionKernel& kernel,
                 TLevelReading levels)
        : DiffusionRun(SliderLight(a, b, c, levels), inks, kernel, levels) {}

  private:
    DiffusionRun(const SliderLight& light, const InkList& inks, const DiffusionKernel& kernel,
                 TLevelReading levels)
        : TDitherRun(light.readsMap(), true), mKernel(kernel), mLight(light),
          mColours(inks, levels),
          mHull(mColours) {
        float shared = 0;
        for (const ErrorShare& share : mKernel.shares)
            shared += share.weight;
        mRest = shared > 0 ? (1 - shared) / shared : 0;
    }

    void render(const TPicture& source, const TPicture& map, const std::vector<std::uint8_t*>& rows,
                int first, int last) override {
        const int width = source.GetWidth();
        const std::size_t rowLength = static_cast<std::size_t>(width);
        if (mError.empty())
            mError.resize(kErrorRows * rowLength);
        const bool byEdges = mKernel.edgeDistance > 0;
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
                    SliderLight::linear(mLight.key(src + at, mapRow ? mapRow + at : nullptr)));
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
                for (const ErrorShare& share : mKernel.shares) {
                    const int tx = x + step * share.dx;
                    if (tx < 0 || tx >= width) // error past the edge is dropped
                        continue;
                    float weight = share.weight;
                    if (byEdges && y + share.dy < source.GetHeight()) {
                        const LabColour& here = sourceLabAt(y, x);
                        const LabColour& there = sourceLabAt(y + share.dy, tx);
                        const float dL = here.L - there.L, da = here.a - there.a,
                                    db = here.b - there.b;
                        const float apart =
                            std::sqrt(dL * dL + da * da + db * db) / mKernel.edgeDistance;
                        if (apart < 1)
                            weight += share.weight * mRest * (1 - apart);
                    }
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
};

} // namespace

std::unique_ptr<TDitherRun> Start_Error_Diffusion(const InkList& inks, int a, int b, int c,
                                                  const DiffusionKernel& kernel, TLevelReading levels) {
    return std::make_unique<DiffusionRun>(inks, a, b, c, kernel, levels);
}
