#include "AreaScale.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Weights are 256ths: a view pixel's weights along one axis sum to 256.
constexpr int kWeightShift = 8;
constexpr int kWeightSum = 1 << kWeightShift;

// One picture pixel's part in a view pixel along one axis.
struct Tap {
    int index;  // picture pixel
    int weight; // 256ths of the view pixel it covers
};

// For each view pixel from first to first + count - 1 along an axis of
// pictureLength picture pixels shown over viewLength view pixels: its taps,
// from offsets[i] to offsets[i + 1]. In units of 1 / viewLength picture
// pixels, view pixel t covers [t * n, (t + 1) * n) and picture pixel i
// covers [i * v, (i + 1) * v); each weight is the rounded share of the
// overlap, rounded at the boundaries so the weights sum to exactly 256.
struct AxisTaps {
    std::vector<Tap> taps;
    std::vector<int> offsets;

    AxisTaps(int pictureLength, int viewLength, int first, int count) {
        const long long n = pictureLength, v = viewLength;
        offsets.push_back(0);
        for (long long t = first; t < first + count; ++t) {
            const long long begin = t * n, end = (t + 1) * n;
            const auto share = [&](long long at) { return static_cast<int>(((at - begin) * kWeightSum + n / 2) / n); };
            for (long long i = begin / v; i * v < end && i < n; ++i) {
                const int weight = share(std::min(end, (i + 1) * v)) - share(std::max(begin, i * v));
                if (weight > 0)
                    taps.push_back({static_cast<int>(i), weight});
            }
            offsets.push_back(static_cast<int>(taps.size()));
        }
    }
    int lowest() const { return taps.front().index; }
    int highest() const { return taps.back().index; }
};

} // namespace

QImage Area_Scaled_Part(const QImage& picture, const QSize& viewSize, const QRect& target) {
    const QRect part = target & QRect(QPoint(0, 0), viewSize);
    if (picture.isNull() || part.isEmpty())
        return {};
    const AxisTaps across(picture.width(), viewSize.width(), part.left(), part.width());
    const AxisTaps down(picture.height(), viewSize.height(), part.top(), part.height());
    // Only the picture pixels the part reads are converted.
    const QRect read(across.lowest(), down.lowest(), across.highest() - across.lowest() + 1,
                     down.highest() - down.lowest() + 1);
    const QImage source = picture.copy(read).convertToFormat(QImage::Format_RGB32);

    // Across first, each read row into 256ths of a channel value, then down.
    const int width = part.width(), channels = 3;
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(read.height()) * width * channels);
    for (int y = 0; y < read.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        std::uint32_t* out = rows.data() + static_cast<std::size_t>(y) * width * channels;
        for (int x = 0; x < width; ++x) {
            std::uint32_t r = 0, g = 0, b = 0;
            for (int k = across.offsets[x]; k < across.offsets[x + 1]; ++k) {
                const QRgb pixel = in[across.taps[k].index - read.left()];
                const auto w = static_cast<std::uint32_t>(across.taps[k].weight);
                r += w * qRed(pixel);
                g += w * qGreen(pixel);
                b += w * qBlue(pixel);
            }
            out[channels * x] = r;
            out[channels * x + 1] = g;
            out[channels * x + 2] = b;
        }
    }
    QImage scaled(part.size(), QImage::Format_RGB32);
    constexpr std::uint32_t kHalf = 1u << (2 * kWeightShift - 1);
    for (int y = 0; y < part.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(scaled.scanLine(y));
        for (int x = 0; x < width; ++x) {
            std::uint32_t sum[3] = {kHalf, kHalf, kHalf};
            for (int k = down.offsets[y]; k < down.offsets[y + 1]; ++k) {
                const std::uint32_t* row =
                    rows.data() + (static_cast<std::size_t>(down.taps[k].index - read.top()) * width + x) * channels;
                const auto w = static_cast<std::uint32_t>(down.taps[k].weight);
                for (int c = 0; c < channels; ++c)
                    sum[c] += w * row[c];
            }
            out[x] = qRgb(static_cast<int>(sum[0] >> (2 * kWeightShift)), static_cast<int>(sum[1] >> (2 * kWeightShift)),
                          static_cast<int>(sum[2] >> (2 * kWeightShift)));
        }
    }
    return scaled;
}
