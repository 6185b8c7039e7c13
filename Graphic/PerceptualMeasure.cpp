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
    const auto at = [&](int x, int y, int c) {
        return static_cast<std::size_t>((y * width + x) * channels + c);
    };
    std::vector<float> line(static_cast<std::size_t>(std::max(width, height) * channels));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                float sum = 0;
                for (int i = -radius; i <= radius; ++i)
                    sum += taps[static_cast<std::size_t>(i + radius)] *
                           data[at(std::clamp(x + i, 0, width - 1), y, c)];
                line[static_cast<std::size_t>(x * channels + c)] = sum;
            }
        std::copy_n(line.begin(), width * channels, data.begin() + static_cast<std::ptrdiff_t>(at(0, y, 0)));
    }
    // Columns a row at a time, so the inner loop runs along memory.
    std::vector<float> out(data.size());
    const std::size_t rowFloats = static_cast<std::size_t>(width * channels);
    for (int y = 0; y < height; ++y) {
        float* target = out.data() + at(0, y, 0);
        for (int i = -radius; i <= radius; ++i) {
            const float tap = taps[static_cast<std::size_t>(i + radius)];
            const float* from = data.data() + at(0, std::clamp(y + i, 0, height - 1), 0);
            for (std::size_t k = 0; k < rowFloats; ++k)
                target[k] += tap * from[k];
        }
    }
    data.swap(out);
}

// The picture in linear light, red, green, blue per pixel.
std::vector<float> linearOf(const TPicture& picture) {
    std::array<float, 256> table;
    for (std::size_t v = 0; v < table.size(); ++v)
        table[v] = static_cast<float>(Linear_From_Byte(static_cast<std::uint8_t>(v)));
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

// The OKLab lightness of each pixel. Dithered results hold few colours, so
// the last colour's lightness is kept.
std::vector<float> lightnessOf(const TPicture& picture) {
    std::vector<float> lightness;
    lightness.reserve(static_cast<std::size_t>(picture.GetWidth()) * picture.GetHeight());
    long lastKey = -1;
    float last = 0;
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* row = picture.GetScanline(y);
        for (int x = 0; x < picture.GetWidth(); ++x, row += 3) {
            const long key = row[0] | row[1] << 8 | row[2] << 16;
            if (key != lastKey) {
                lastKey = key;
                last = static_cast<float>(OkLab_From_Linear(Linear_From_Byte(row[2]),
                                                            Linear_From_Byte(row[1]),
                                                            Linear_From_Byte(row[0]))
                                              .L);
            }
            lightness.push_back(last);
        }
    }
    return lightness;
}

void checkSize(const TPicture& result, int width, int height) {
    if (result.GetWidth() != width || result.GetHeight() != height)
        throw Exception("A result must have its source's size to be compared with it");
}

} // namespace

PerceptualReference::PerceptualReference(const TPicture& source)
    : mWidth(source.GetWidth()), mHeight(source.GetHeight()), mBlurredLinear(linearOf(source)) {
    blur(mBlurredLinear, mWidth, mHeight, 3, gaussianTaps(kBlurSigma));
    mBlurredLab.resize(mBlurredLinear.size() / 3);
    for (std::size_t p = 0; p < mBlurredLab.size(); ++p)
        mBlurredLab[p] = OkLab_From_Linear(mBlurredLinear[3 * p], mBlurredLinear[3 * p + 1],
                                           mBlurredLinear[3 * p + 2]);
    mLightness = lightnessOf(source);
    mMean = mLightness;
    mMeanSquare.resize(mLightness.size());
    std::transform(mLightness.begin(), mLightness.end(), mMeanSquare.begin(),
                   [](float v) { return v * v; });
    const std::vector<float> taps = gaussianTaps(kSsimSigma);
    blur(mMean, mWidth, mHeight, 1, taps);
    blur(mMeanSquare, mWidth, mHeight, 1, taps);
}

double PerceptualReference::blurredError(const TPicture& result) const {
    checkSize(result, mWidth, mHeight);
    if (mBlurredLab.empty())
        return 0;
    std::vector<float> linear = linearOf(result);
    blur(linear, mWidth, mHeight, 3, gaussianTaps(kBlurSigma));
    double total = 0;
    for (std::size_t p = 0; p < mBlurredLab.size(); ++p) {
        const OkLab lab = OkLab_From_Linear(linear[3 * p], linear[3 * p + 1], linear[3 * p + 2]);
        total += std::sqrt(Cell_Distance(mBlurredLab[p], lab));
    }
    return 100 * total / static_cast<double>(mBlurredLab.size());
}

double PerceptualReference::lightnessSsim(const TPicture& result) const {
    checkSize(result, mWidth, mHeight);
    if (mLightness.empty())
        return 1;
    const std::vector<float> lightness = lightnessOf(result);
    std::vector<float> mean = lightness, meanSquare(lightness.size()), meanProduct(lightness.size());
    for (std::size_t p = 0; p < lightness.size(); ++p) {
        meanSquare[p] = lightness[p] * lightness[p];
        meanProduct[p] = lightness[p] * mLightness[p];
    }
    const std::vector<float> taps = gaussianTaps(kSsimSigma);
    blur(mean, mWidth, mHeight, 1, taps);
    blur(meanSquare, mWidth, mHeight, 1, taps);
    blur(meanProduct, mWidth, mHeight, 1, taps);
    double total = 0;
    for (std::size_t p = 0; p < lightness.size(); ++p) {
        const double mx = mMean[p], my = mean[p];
        const double vx = mMeanSquare[p] - mx * mx, vy = meanSquare[p] - my * my;
        const double cov = meanProduct[p] - mx * my;
        total += (2 * mx * my + kSsimC1) * (2 * cov + kSsimC2) /
                 ((mx * mx + my * my + kSsimC1) * (vx + vy + kSsimC2));
    }
    return total / static_cast<double>(lightness.size());
}
