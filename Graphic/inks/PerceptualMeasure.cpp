#include "PerceptualMeasure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "SysUtils.h"

namespace {

constexpr double kBlurSigma = 1.0;
constexpr double kSsimSigma = 1.5;
constexpr double kSsimC1 = 0.01 * 0.01, kSsimC2 = 0.03 * 0.03;

// The normalised taps of a Gaussian of sigma, out to 3 sigma on each side.
std::vector<float> gaussianTaps(double sigma) {
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> taps(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += std::exp(-i * i / (2 * sigma * sigma));
    for (int i = -radius; i <= radius; ++i)
        taps[static_cast<std::size_t>(i + radius)] =
            static_cast<float>(std::exp(-i * i / (2 * sigma * sigma)) / sum);
    return taps;
}

// Blurs a picture of channels floats per pixel in place, rows then columns;
// a tap past the border reads the border pixel.
void blur(std::vector<float>& data, int width, int height, int channels,
          const std::vector<float>& taps) {
    const int radius = static_cast<int>(taps.size() / 2);
    const auto at = [&](int x, int y) { return static_cast<std::size_t>((y * width + x) * channels); };
    // Rows: a line padded with copies of its border pixels, then the taps.
    std::vector<float> padded(static_cast<std::size_t>((width + 2 * radius) * channels));
    for (int y = 0; y < height; ++y) {
        float* row = data.data() + at(0, y);
        for (int x = -radius; x < width + radius; ++x)
            for (int c = 0; c < channels; ++c)
                padded[static_cast<std::size_t>((x + radius) * channels + c)] =
                    row[static_cast<std::size_t>(std::clamp(x, 0, width - 1) * channels + c)];
        const std::size_t rowFloats = static_cast<std::size_t>(width * channels);
        std::fill_n(row, rowFloats, 0.0f);
        for (int i = 0; i < 2 * radius + 1; ++i) {
            const float tap = taps[static_cast<std::size_t>(i)];
            const float* from = padded.data() + i * channels;
            for (std::size_t k = 0; k < rowFloats; ++k)
                row[k] += tap * from[k];
        }
    }
    // Columns a row at a time, so the inner loop runs along memory.
    std::vector<float> out(data.size());
    const std::size_t rowFloats = static_cast<std::size_t>(width * channels);
    for (int y = 0; y < height; ++y) {
        float* target = out.data() + at(0, y);
        for (int i = -radius; i <= radius; ++i) {
            const float tap = taps[static_cast<std::size_t>(i + radius)];
            const float* from = data.data() + at(0, std::clamp(y + i, 0, height - 1));
            for (std::size_t k = 0; k < rowFloats; ++k)
                target[k] += tap * from[k];
        }
    }
    data.swap(out);
}

// The picture in linear light, red, green, blue per pixel.
std::vector<float> linearOf(const TPicture& picture) {
    // Made once: every judgement of an ink search comes here.
    static const std::array<float, 256> table = [] {
        std::array<float, 256> made;
        for (std::size_t v = 0; v < made.size(); ++v)
            made[v] = static_cast<float>(Linear_From_Byte(static_cast<std::uint8_t>(v)));
        return made;
    }();
    const int width = picture.GetWidth();
    std::vector<float> linear(static_cast<std::size_t>(width) * picture.GetHeight() * 3);
    float* out = linear.data();
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* row = picture.GetScanline(y);
        for (int x = 0; x < width; ++x, out += 3, row += 3) {
            out[0] = table[row[2]];
            out[1] = table[row[1]];
            out[2] = table[row[0]];
        }
    }
    return linear;
}

// The OKLab of each pixel (L, a, b floats a pixel) of linear colours.
std::vector<float> labOf(const std::vector<float>& linear) {
    std::vector<float> lab(linear.size());
    OkLab_From_Linear_Floats(linear.data(), linear.size() / 3, lab.data());
    return lab;
}

// labOf, where a pixel of the same colour as the one before it takes that
// one's OKLab instead of working it out again: the flat areas of a result
// blur to long runs of one colour.
std::vector<float> labOfRuns(const std::vector<float>& linear) {
    std::vector<float> lab(linear.size());
    const std::size_t pixels = linear.size() / 3;
    const auto repeats = [&](std::size_t p) {
        return linear[3 * p] == linear[3 * p - 3] && linear[3 * p + 1] == linear[3 * p - 2] &&
               linear[3 * p + 2] == linear[3 * p - 1];
    };
    for (std::size_t p = 0; p < pixels;) {
        std::size_t end = p + 1; // [p, end): each pixel unlike the one before
        while (end < pixels && !repeats(end))
            ++end;
        OkLab_From_Linear_Floats(linear.data() + 3 * p, end - p, lab.data() + 3 * p);
        for (p = end; p < pixels && repeats(p); ++p)
            std::copy_n(lab.begin() + static_cast<std::ptrdiff_t>(3 * p - 3), 3,
                        lab.begin() + static_cast<std::ptrdiff_t>(3 * p));
    }
    return lab;
}

// Every third float from first: one OKLab component of every pixel.
std::vector<float> component(const std::vector<float>& lab, std::size_t first) {
    std::vector<float> values(lab.size() / 3);
    for (std::size_t p = 0; p < values.size(); ++p)
        values[p] = lab[3 * p + first];
    return values;
}

// The structural similarity of two lightness pictures, the first with its
// window statistics worked out.
double ssim(const std::vector<float>& lightness, const std::vector<float>& referenceMean,
            const std::vector<float>& referenceMeanSquare, const std::vector<float>& reference,
            int width, int height) {
    std::vector<float> mean = lightness, meanSquare(lightness.size()), meanProduct(lightness.size());
    for (std::size_t p = 0; p < lightness.size(); ++p) {
        meanSquare[p] = lightness[p] * lightness[p];
        meanProduct[p] = lightness[p] * reference[p];
    }
    const std::vector<float> taps = gaussianTaps(kSsimSigma);
    blur(mean, width, height, 1, taps);
    blur(meanSquare, width, height, 1, taps);
    blur(meanProduct, width, height, 1, taps);
    double total = 0;
    for (std::size_t p = 0; p < lightness.size(); ++p) {
        const double mx = referenceMean[p], my = mean[p];
        const double vx = referenceMeanSquare[p] - mx * mx, vy = meanSquare[p] - my * my;
        const double cov = meanProduct[p] - mx * my;
        total += (2 * mx * my + kSsimC1) * (2 * cov + kSsimC2) /
                 ((mx * mx + my * my + kSsimC1) * (vx + vy + kSsimC2));
    }
    return total / static_cast<double>(lightness.size());
}

void checkSize(const TPicture& result, int width, int height) {
    if (result.GetWidth() != width || result.GetHeight() != height)
        throw Exception("A result must have its source's size to be compared with it");
}

} // namespace

PerceptualReference::PerceptualReference(const TPicture& source)
    : mWidth(source.GetWidth()), mHeight(source.GetHeight()), mBlurredLinear(linearOf(source)) {
    mPixels.value = component(labOf(mBlurredLinear), 0);
    blur(mBlurredLinear, mWidth, mHeight, 3, gaussianTaps(kBlurSigma));
    mBlurredLab = labOf(mBlurredLinear);
    mSeen.value = component(mBlurredLab, 0);
    const std::vector<float> taps = gaussianTaps(kSsimSigma);
    for (Lightness* view : {&mSeen, &mPixels}) {
        view->mean = view->value;
        view->meanSquare.resize(view->value.size());
        std::transform(view->value.begin(), view->value.end(), view->meanSquare.begin(),
                       [](float v) { return v * v; });
        blur(view->mean, mWidth, mHeight, 1, taps);
        blur(view->meanSquare, mWidth, mHeight, 1, taps);
    }
}

std::vector<float> PerceptualReference::seen(const TPicture& result) const {
    checkSize(result, mWidth, mHeight);
    std::vector<float> linear = linearOf(result);
    blur(linear, mWidth, mHeight, 3, gaussianTaps(kBlurSigma));
    return labOfRuns(linear);
}

double PerceptualReference::blurredError(const TPicture& result) const {
    return errorOfSeen(seen(result));
}

double PerceptualReference::errorOfSeen(const std::vector<float>& lab) const {
    if (lab.empty())
        return 0;
    double total = 0;
    for (std::size_t i = 0; i < lab.size(); i += 3) {
        const float dL = lab[i] - mBlurredLab[i], da = lab[i + 1] - mBlurredLab[i + 1],
                    db = lab[i + 2] - mBlurredLab[i + 2];
        total += std::sqrt(dL * dL + da * da + db * db);
    }
    return 100 * total / static_cast<double>(lab.size() / 3);
}

PerceptualScore PerceptualReference::score(const TPicture& result) const {
    const std::vector<float> lab = seen(result);
    if (lab.empty())
        return {};
    return {errorOfSeen(lab), ssim(component(lab, 0), mSeen.mean, mSeen.meanSquare, mSeen.value,
                                   mWidth, mHeight)};
}

double PerceptualReference::lightnessSsim(const TPicture& result, SsimView view) const {
    checkSize(result, mWidth, mHeight);
    if (mSeen.value.empty())
        return 1;
    const Lightness& reference = view == SsimView::AsSeen ? mSeen : mPixels;
    const std::vector<float> lightness =
        component(view == SsimView::AsSeen ? seen(result) : labOf(linearOf(result)), 0);
    return ssim(lightness, reference.mean, reference.meanSquare, reference.value, mWidth, mHeight);
}

std::vector<float> PerceptualReference::seenTaps() { return gaussianTaps(kBlurSigma); }

double PerceptualReference::ssimOfSeenLightness(const std::vector<float>& lightness) const {
    if (lightness.empty())
        return 1;
    return ssim(lightness, mSeen.mean, mSeen.meanSquare, mSeen.value, mWidth, mHeight);
}
