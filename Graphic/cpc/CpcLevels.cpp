#include "CpcLevels.h"

#include <array>

int Cpc_Intensity(std::uint8_t value) {
    if (value <= kCpcLevelTolerance)
        return 0;
    if (value >= 128 - kCpcLevelTolerance && value <= 128 + kCpcLevelTolerance)
        return 1;
    if (value >= 255 - kCpcLevelTolerance)
        return 2;
    return -1;
}

bool Shows_Cpc_Levels(const TPicture& source) {
    // The answer for each byte once, instead of three comparisons a channel.
    static const auto table = [] {
        std::array<bool, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[static_cast<std::size_t>(v)] = Cpc_Intensity(static_cast<std::uint8_t>(v)) >= 0;
        return t;
    }();
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(source.GetWidth());
    for (int y = 0; y < source.GetHeight(); ++y) {
        const std::uint8_t* p = source.GetScanline(y);
        for (std::size_t i = 0; i < rowBytes; ++i)
            if (!table[p[i]])
                return false;
    }
    return true;
}

std::uint8_t Cpc_Level_Byte(std::uint8_t value) {
    const int intensity = Cpc_Intensity(value);
    // The program's inks are 127 levels apart (Ink_From_Colour_Number).
    return intensity < 0 ? value
                         : static_cast<std::uint8_t>(intensity * Ink_From_Colour_Number(1).b);
}

std::optional<std::vector<int>> Cpc_Colours_Of(const TPicture& picture, std::size_t limit) {
    if (picture.GetPixelFormat() != TPixelFormat::pf24bit)
        return std::nullopt;
    std::vector<int> numbers;
    std::array<bool, kColourCount> seen{};
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* pixel = picture.GetScanline(y);
        for (int x = 0; x < picture.GetWidth(); ++x, pixel += 3) {
            const int b = Cpc_Intensity(pixel[0]), g = Cpc_Intensity(pixel[1]), r = Cpc_Intensity(pixel[2]);
            if (b < 0 || g < 0 || r < 0)
                return std::nullopt;
            const int number = 9 * g + 3 * r + b;
            if (seen[static_cast<std::size_t>(number)])
                continue;
            if (numbers.size() == limit)
                return std::nullopt;
            seen[static_cast<std::size_t>(number)] = true;
            numbers.push_back(number);
        }
    }
    return numbers;
}
