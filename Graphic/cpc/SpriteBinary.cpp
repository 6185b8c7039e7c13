#include "SpriteBinary.h"

std::vector<std::uint8_t> Sprite_Binary(const SpriteCells& sheet) {
    std::vector<std::uint8_t> bytes;
    for (const std::vector<std::uint8_t>& cell : sheet.cells)
        bytes.insert(bytes.end(), cell.begin(), cell.end());
    return bytes;
}
