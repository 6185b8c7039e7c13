#pragma once

#include <memory>
#include <vector>

#include "DitherColour.h"
#include "DitherRun.h"
#include "CpcPalette.h"
#include "ScreenMode.h"

// Error diffusion in linear light: each pixel's colour, brought to the
// nearest colour the inks can reach (InkHull), plus the error passed on to
// it, takes the nearest ink (by the kernel's rule), and the difference is
// passed on to pixels not yet done, by the kernel's weights.

// One share of the error: to the pixel dx ahead (in the row's direction) and
// dy rows below, weight of the whole error.
struct ErrorShare {
    int dx = 0, dy = 0;
    float weight = 0;
};

// How a pixel's ink is chosen.
enum class DiffusionChoice {
    // Nearest in linear light, where the error is carried: with all the
    // error passed on this keeps the error bounded and the pattern even.
    LinearLight,
    // Nearest in OKLab: for a kernel that drops part of the error, so each
    // pixel must itself look near. A colour the carried error takes past
    // 0..1 in a channel is judged in linear light instead.
    OkLab,
};

struct DiffusionKernel {
    std::vector<ErrorShare> shares; // dx -2..2, dy 0..2
    // Odd rows run right to left (and the kernel with them), which keeps
    // the error from drifting one way.
    bool serpentine = false;
    DiffusionChoice choice = DiffusionChoice::LinearLight;
    // The part of the error the shares leave (1 - their sum) is still
    // passed on, in the shares' proportions, to a pixel whose source colour
    // is the pixel's own: all of it at OKLab distance 0, less the further
    // apart, none at edgeDistance or beyond (0: never). So the error stays
    // within flat areas and is cut at edges.
    float edgeDistance = 0;
};

// What error diffusion reads of one source, the same for any inks: each
// pixel's colour in linear light and, for a kernel with an edgeDistance, the
// weight of every share of the error. A search that dithers one source with
// many sets of inks works them out once (each run would otherwise read every
// pixel through the sliders and convert it to OKLab again).
class DiffusionEdges {
  public:
    DiffusionEdges(const TPicture& source, const TPicture& map, int a, int b, int c,
                   const DiffusionKernel& kernel, TLevelReading levels);
    // True when these are the weights a run with these would work out: the
    // same pixels (the picture they were made from, unchanged since) and
    // the same sliders.
    bool fits(const TPicture& source, int a, int b, int c, TLevelReading levels) const;
    // Pixel (x, y) through the sliders.
    const LinearColour& linear(int x, int y) const {
        return mLinear[static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
                       static_cast<std::size_t>(x)];
    }
    // The shares' weights at pixel (x, y), in the kernel's order.
    const float* at(int x, int y) const {
        return mWeights.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
                                  static_cast<std::size_t>(x)) *
                                     mShares;
    }

  private:
    const std::uint8_t* mPixels; // the source's first row, to know its pixels again
    int mWidth, mHeight, mA, mB, mC;
    TLevelReading mLevels;
    std::size_t mShares;
    std::vector<LinearColour> mLinear; // per pixel, row after row
    std::vector<float> mWeights;       // per pixel, row after row: one per share
};

// Its rows come in order, from the top (TDitherRun::InOrder).
// levels: how the source's bytes are read (SliderLight). edges, when given
// and made for the same source, sliders and levels, are read instead of
// working the weights out (the same bytes either way); the run keeps no
// hold on them beyond the caller's.
std::unique_ptr<TDitherRun> Start_Error_Diffusion(const InkList& inks, int a, int b, int c,
                                                  const DiffusionKernel& kernel,
                                                  TLevelReading levels = TLevelReading::Bytes,
                                                  std::shared_ptr<const DiffusionEdges> edges = {});
