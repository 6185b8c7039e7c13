#include "SpriteSheetInks.h"

#include <array>

#include "CpcLevels.h"

std::optional<std::vector<int>> Sprite_Sheet_Colour_Numbers(const TPicture& sheet, int inkCount) {
    std::optional<std::vector<int>> numbers = Cpc_Colours_Of(sheet, static_cast<std::size_t>(inkCount));
    if (!numbers)
        return std::nullopt;
    std::array<bool, kColourCount> seen{};
    for (const int number : *numbers)
        seen[static_cast<std::size_t>(number)] = true;
    for (int number = 0; static_cast<int>(numbers->size()) < inkCount && number < kColourCount; ++number)
        if (!seen[static_cast<std::size_t>(number)])
            numbers->push_back(number);
    return numbers;
}
