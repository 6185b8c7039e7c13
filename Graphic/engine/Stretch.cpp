#include "Engine.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>

#include "RowThreads.h"

namespace {

using ChannelBytes = std::array<std::uint8_t, 3>;

// Sixteen pixels' worth of bytes: lane i always holds channel i mod 3, so the
// per-lane minimum and maximum vectorise and fold into channels at the end.
constexpr std::size_t kLanes = 48;

void channelRange(const std::uint8_t* __restrict row, std::size_t bytes, ChannelBytes& lowest, ChannelBytes& highest) {
    std::uint8_t low[kLanes];
    std::uint8_t high[kLanes];
    std::memset(low, 255, kLanes);
    std::memset(high, 0, kLanes);
    std::size_t j = 0;
    for (; j + kLanes <= bytes; j += kLanes)
        for (std::size_t i = 0; i < kLanes; ++i) {
            const std::uint8_t v = row[j + i];
            low[i] = v < low[i] ? v : low[i];
            high[i] = v > high[i] ? v : high[i];
        }
    for (std::size_t i = 0; i < kLanes; ++i) {
        lowest[i % 3] = std::min(lowest[i % 3], low[i]);
        highest[i % 3] = std::max(highest[i % 3], high[i]);
    }
    for (; j < bytes; ++j) {
        lowest[j % 3] = std::min(lowest[j % 3], row[j]);
        highest[j % 3] = std::max(highest[j % 3], row[j]);
    }
}

// (v - minimum) x 255 / range computed as (v - minimum) x factor >> 16 with
// factor = 255 x 65536 / range + 1: for v from minimum to maximum the excess
// over the true quotient stays below 1 / range, so the truncated result is
// exact. A channel with a single value (range 0) keeps its values.
struct ChannelStretch {
    std::uint32_t minimum;
    std::uint32_t factor;
};

ChannelStretch channelStretch(std::uint8_t minimum, std::uint8_t maximum) {
    const std::uint32_t range = static_cast<std::uint32_t>(maximum - minimum);
    if (range == 0)
        return {0, 1u << 16};
    return {minimum, 255u * 65536u / range + 1u};
}

void stretchRow(std::uint8_t* __restrict row, std::size_t bytes, const std::uint32_t* __restrict minimum,
                const std::uint32_t* __restrict factor) {
    std::size_t j = 0;
    for (; j + kLanes <= bytes; j += kLanes)
        for (std::size_t i = 0; i < kLanes; ++i)
            row[j + i] = static_cast<std::uint8_t>(((row[j + i] - minimum[i]) * factor[i]) >> 16);
    for (std::size_t i = 0; j < bytes; ++j, ++i)
        row[j] = static_cast<std::uint8_t>(((row[j] - minimum[i]) * factor[i]) >> 16);
}

} // namespace

unsigned Stretch_Palette(TPicture* picture) {
    if (!picture)
        return kStretchNoPicture;
    const int height = picture->GetHeight();
    const int width = picture->GetWidth();
    if (height == 0 || width == 0)
        return kStretchEmpty;
    picture->SetPixelFormat(TPixelFormat::pf24bit);

    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const int rowsPerThread = Rows_Worth_A_Thread(width);
    // Each band finds its own range; the smallest and largest of the bands'
    // are the picture's, however the rows were split.
    std::mutex gathering;
    ChannelBytes lowest{255, 255, 255};
    ChannelBytes highest{0, 0, 0};
    std::atomic<bool> rowMissing{false};
    Run_Over_Rows(height, rowsPerThread, [&](int first, int last) {
        ChannelBytes bandLowest{255, 255, 255};
        ChannelBytes bandHighest{0, 0, 0};
        for (int y = first; y < last; ++y) {
            const std::uint8_t* row = std::as_const(*picture).GetScanline(y);
            if (!row) {
                rowMissing = true;
                return;
            }
            channelRange(row, rowBytes, bandLowest, bandHighest);
        }
        const std::lock_guard<std::mutex> lock(gathering);
        for (std::size_t c = 0; c < 3; ++c) {
            lowest[c] = std::min(lowest[c], bandLowest[c]);
            highest[c] = std::max(highest[c], bandHighest[c]);
        }
    });
    if (rowMissing)
        return kStretchRowMissingFirstPass;

    std::uint32_t minimum[kLanes];
    std::uint32_t factor[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) {
        const ChannelStretch stretch = channelStretch(lowest[i % 3], highest[i % 3]);
        minimum[i] = stretch.minimum;
        factor[i] = stretch.factor;
    }
    const std::vector<std::uint8_t*> rows = Writable_Rows(*picture);
    Run_Over_Rows(height, rowsPerThread, [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            std::uint8_t* row = rows[static_cast<std::size_t>(y)];
            if (!row) {
                rowMissing = true;
                return;
            }
            stretchRow(row, rowBytes, minimum, factor);
        }
    });
    return rowMissing ? kStretchRowMissingSecondPass : kStretchDone;
}

int Copy_Picture(TPicture& destination, TPicture& source) {
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    destination.SetWidth(width);
    destination.SetHeight(height);
    source.SetPixelFormat(TPixelFormat::pf24bit);
    destination.SetPixelFormat(TPixelFormat::pf24bit);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height && width > 0; ++y)
        std::memcpy(destination.GetScanline(y), std::as_const(source).GetScanline(y), rowBytes);
    return 0;
}
