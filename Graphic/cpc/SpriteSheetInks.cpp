#include "SpriteSheetInks.h"

#include <array>

#include "CpcLevels.h"

std::optional<std::vector<int>> Sprite_Sheet_Colour_Numbers(const TPicture& sheet, int inkCount) {
    if (sheet.GetPixelFormat() != TPixelFormat::pf24bit)
        return std::nullopt;
    std::vector<int> numbers;
    std::array<bool, kColourCount> seen{};
    for (int y = 0; y < sheet.GetHeight(); ++y) {
        const std::uint8_t* pixel = sheet.GetScanline(y);
        for (int x = 0; x < sheet.GetWidth(); ++x, pixel += 3) {
            const int b = Cpc_Intensity(pixel[0]), g = Cpc_Intensity(pixel[1]), r = Cpc_Intensity(pixel[2]);
            if (b < 0 || g < 0 || r < 0)
                return std::nullopt;
            const int number = 9 * g + 3 * r + b;
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
