#include "SpriteCHeader.h"

#include <cctype>
#include <cstdio>

#include "SpriteDescription.h"
#include "SysUtils.h"

namespace {

std::string hexByte(std::uint8_t byte) {
    char text[5];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

std::string define(const std::string& symbol, int value) {
    return "#define " + symbol + " " + IntToStr(value) + "\n";
}

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string Sprite_C_Header(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode,
                            const std::string& name) {
    const std::string guard = upper(name) + "_SPRITES_H";
    std::string text = "/* " + name + ": made by Tintora\n";
    for (const std::string& line : Sprite_Description(sheet, inks, mode))
        text += " * " + line + "\n";
    text += " * The arrays are defined here: include this header in one source file. */\n";
    text += "#ifndef " + guard + "\n#define " + guard + "\n\n";
    const std::size_t rowBytes = static_cast<std::size_t>(Sprite_Row_Bytes(sheet));
    text += define(name + "_WIDTH_BYTES", sheet.widthBytes) + define(name + "_HEIGHT", sheet.height) +
            define(name + "_CELLS", static_cast<int>(sheet.cells.size())) +
            define(name + "_CELL_BYTES", static_cast<int>(rowBytes) * sheet.height) +
            define(name + "_INK_COUNT", static_cast<int>(inks.size())) + "\n";
    text += "/* CPC colour numbers of inks 0, 1, ... (BASIC's INK takes them) */\n";
    text += "const unsigned char " + name + "_INKS[" + name + "_INK_COUNT] = {" + Sprite_Ink_Numbers(inks, ", ") +
            "};\n\n";
    text += "const unsigned char " + name + "[" + name + "_CELLS][" + name + "_CELL_BYTES] = {\n";
    for (std::size_t cell = 0; cell < sheet.cells.size(); ++cell) {
        text += "    { /* " + name + "[" + IntToStr(static_cast<int>(cell)) + "] */\n";
        const std::vector<std::uint8_t>& bytes = sheet.cells[cell];
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            text += i % rowBytes == 0 ? "        " : " ";
            text += hexByte(bytes[i]);
            if (i + 1 < bytes.size())
                text += ',';
            if (i % rowBytes == rowBytes - 1)
                text += '\n';
        }
        text += cell + 1 < sheet.cells.size() ? "    },\n" : "    }\n";
    }
    text += "};\n\n#endif\n";
    return text;
}
