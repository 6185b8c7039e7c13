#include "SpriteSheetInks.h"

#include <array>

namespace {

// True for a channel value that is exactly one of the CPC's three intensities.
bool cpcLevel(std::uint8_t value) {
    return value == 0 || value == 127 || value == 128 || value == 254 || value == 255;
}

} // namespace

std::optional<std::vector<int>> Sprite_Sheet_Colour_Numbers(const TPicture& sheet, int inkCount) {
    if (sheet.GetPixelFormat() != TPixelFormat::pf24bit)
        return std::nullopt;
    std::vector<int> numbers;
    std::array<bool, kColourCount> seen{};
    for (int y = 0; y < sheet.GetHeight(); ++y) {
        const std::uint8_t* pixel = sheet.GetScanline(y);
        for (int x = 0; x < sheet.GetWidth(); ++x, pixel += 3) {
            if (!cpcLevel(pixel[0]) || !cpcLevel(pixel[1]) || !cpcLevel(pixel[2]))
                return std::nullopt;
            const int number = Colour_Number_Of_Ink(Ink{pixel[2], pixel[1], pixel[0]});
            if (seen[static_cast<std::size_t>(number)])
                continue;
            if (static_cast<int>(numbers.size()) == inkCount)
                return std::nullopt;
            seen[static_cast<std::size_t>(number)] = true;
            numbers.push_back(number);
        }
    }
    for (int number = 0; static_cast<int>(numbers.size()) < inkCount && number < kColourCount; ++number)
        if (!seen[static_cast<std::size_t>(number)])
            numbers.push_back(number);
    return numbers;
}
