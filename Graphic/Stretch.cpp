#include "Engine.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

using ChannelBytes = std::array<std::uint8_t, 3>;

// Sixteen pixels' worth of bytes: lane i always holds channel i mod 3, so the
// per-lane minimum and maximum vectorise and fold into channels at the end.
constexpr std::size_t kLanes = 48;

void channelRange(const std::uint8_t* row, std::size_t bytes, ChannelBytes& lowest, ChannelBytes& highest) {
    std::uint8_t low[kLanes];
    std::uint8_t high[kLanes];
    std::memset(low, 255, kLanes);
    std::memset(high, 0, kLanes);
    std::size_t j = 0;
    for (; j + kLanes <= bytes; j += kLanes)
        for (std::size_t i = 0; i < kLanes; ++i) {
            low[i] = std::min(low[i], row[j + i]);
            high[i] = std::max(high[i], row[j + i]);
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

// v -> (v - minimum) x 255 / range for every byte value; a channel with a
// single value (range 0) is left as it is.
std::array<std::uint8_t, 256> stretchTable(std::uint8_t minimum, std::uint8_t maximum) {
    std::array<std::uint8_t, 256> table{};
    const int range = maximum - minimum;
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] =
            range == 0 || v < minimum ? static_cast<std::uint8_t>(v)
                                      : static_cast<std::uint8_t>(std::min(255, (v - minimum) * 255 / range));
    return table;
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
    ChannelBytes lowest{255, 255, 255};
    ChannelBytes highest{0, 0, 0};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = std::as_const(*picture).GetScanline(y);
        if (!row)
            return kStretchRowMissingFirstPass;
        channelRange(row, rowBytes, lowest, highest);
    }

    const auto blue = stretchTable(lowest[0], highest[0]);
    const auto green = stretchTable(lowest[1], highest[1]);
    const auto red = stretchTable(lowest[2], highest[2]);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture->GetScanline(y);
        if (!row)
            return kStretchRowMissingSecondPass;
        for (std::size_t j = 0; j < rowBytes; j += 3) {
            row[j] = blue[row[j]];
            row[j + 1] = green[row[j + 1]];
            row[j + 2] = red[row[j + 2]];
        }
    }
    return kStretchDone;
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
