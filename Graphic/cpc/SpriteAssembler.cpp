#include "SpriteAssembler.h"

#include <cstdio>

#include "SpriteDescription.h"
#include "SysUtils.h"

namespace {

std::string hexByte(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "#%02X", byte);
    return text;
}

std::string constant(const std::string& symbol, int value) { return symbol + " equ " + IntToStr(value) + "\n"; }

} // namespace

std::string Sprite_Assembler(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode,
                             const std::string& name) {
    std::string text = "; " + name + ": made by Tintora\n";
    for (const std::string& line : Sprite_Description(sheet, inks, mode))
        text += "; " + line + "\n";
    const std::size_t rowBytes = static_cast<std::size_t>(Sprite_Row_Bytes(sheet));
    for (std::size_t cell = 0; cell < sheet.cells.size(); ++cell) {
        text += '\n';
        text += name + "_" + IntToStr(static_cast<int>(cell)) + ":\n";
        const std::vector<std::uint8_t>& bytes = sheet.cells[cell];
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            text += i % rowBytes == 0 ? "    db " : ",";
            text += hexByte(bytes[i]);
            if (i % rowBytes == rowBytes - 1)
                text += '\n';
        }
    }
    text += '\n';
    text += constant(name + "_WIDTH_BYTES", sheet.widthBytes);
    text += constant(name + "_HEIGHT", sheet.height);
    text += constant(name + "_CELLS", static_cast<int>(sheet.cells.size()));
    text += constant(name + "_CELL_BYTES", static_cast<int>(rowBytes) * sheet.height);
    return text;
}
