#pragma once

#include <vector>

#include "InkMeasure.h"
#include "Picture.h"

// How close a dithered result looks to its source, for every mode and dither.
//
// Blurred error: both pictures are taken to linear light and blurred by a
// Gaussian of sigma 1 pixel (the eye blends neighbouring pixels of a
// dither), then compared pixel by pixel in OKLab. The error is the mean
// OKLab distance x 100 (about 2 is a just noticeable difference).
//
// Lightness SSIM: the structural similarity (Wang et al. 2004: a Gaussian
// window of sigma 1.5 pixels, K1 0.01, K2 0.03, dynamic range 1) of the
// pictures' OKLab lightness L, -1..1, 1 when alike. As seen, both pictures
// are blurred as for the error first: what is left of a dither's pattern
// after the eye's blending is grain, and it lowers the SSIM, as does lost
// detail; so it guards against a dither that is close on average but
// noisy. Pixel for pixel, the unblurred pictures are compared, which marks
// every pattern, regular or not.
enum class SsimView { AsSeen, PixelForPixel };

// Pixels are the picture's own, whatever their shape on a CPC screen; the
// blurs clamp at the picture's borders.
// What a search ranks results by: the blurred error divided by the
// lightness SSIM as seen (taken as at least 0.05), so that a result which
// loses a tenth of its SSIM to grain must come a tenth closer to win.
struct PerceptualScore {
    double error = 0; // the blurred error
    double ssim = 1;  // the lightness SSIM as seen
    double rank() const { return error / (ssim > 0.05 ? ssim : 0.05); }
};

class PerceptualReference {
  public:
    // Reads a 24-bit source once, so that many results can be judged against it.
    explicit PerceptualReference(const TPicture& source);

    // The blurred error of result, which must have the source's size (0 for
    // an empty picture).
    double blurredError(const TPicture& result) const;
    // The lightness SSIM of result, which must have the source's size (1 for
    // an empty picture).
    double lightnessSsim(const TPicture& result, SsimView view = SsimView::AsSeen) const;

    // Both of the above as seen, from one blur of result.
    PerceptualScore score(const TPicture& result) const;

    int width() const { return mWidth; }
    int height() const { return mHeight; }
    // The blurred source in linear light: red, green, blue (0..1) per pixel,
    // row after row.
    const std::vector<float>& blurredLinear() const { return mBlurredLinear; }
    // The blurred source in OKLab: L, a, b per pixel, row after row.
    const std::vector<float>& blurredLab() const { return mBlurredLab; }

    // The taps (2 x radius + 1, normalised) of the blur a result's linear
    // light takes for the error, rows then columns, past the border reading
    // the border pixel.
    static std::vector<float> seenTaps();
    // The lightness SSIM as seen of a result whose blurred OKLab lightness
    // (one float per pixel) is given.
    double ssimOfSeenLightness(const std::vector<float>& lightness) const;

  private:
    // The source's lightness in one view, and its mean and mean square over
    // the SSIM window.
    struct Lightness {
        std::vector<float> value, mean, meanSquare;
    };
    // OKLab (L, a, b floats a pixel) of a result blurred as the eye sees it.
    std::vector<float> seen(const TPicture& result) const;
    double errorOfSeen(const std::vector<float>& lab) const;

    int mWidth = 0, mHeight = 0;
    std::vector<float> mBlurredLinear;
    std::vector<float> mBlurredLab;
    Lightness mSeen, mPixels;
};
