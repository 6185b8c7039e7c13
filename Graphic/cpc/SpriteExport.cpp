#include "SpriteExport.h"

#include "SpriteAssembler.h"
#include "SpriteBinary.h"
#include "SpriteCHeader.h"
#include "SysUtils.h"

namespace {

bool endsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

} // namespace

SpriteFormat Sprite_Format_Of(const std::string& fileName) {
    if (endsWith(fileName, "asm"))
        return SpriteFormat::Assembler;
    if (endsWith(fileName, ".h"))
        return SpriteFormat::CHeader;
    if (endsWith(fileName, "bin"))
        return SpriteFormat::Binary;
    return SpriteFormat::None;
}

std::vector<std::uint8_t> Sprite_File_Bytes(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode,
                                            const std::string& name, SpriteFormat format) {
    switch (format) {
    case SpriteFormat::Assembler:
        return bytesOf(Sprite_Assembler(sheet, inks, mode, name));
    case SpriteFormat::CHeader:
        return bytesOf(Sprite_C_Header(sheet, inks, mode, name));
    case SpriteFormat::Binary:
        return Sprite_Binary(sheet);
    case SpriteFormat::None:
        break;
    }
    throw Exception("No sprite file is written to a name that does not end in asm, .h or bin");
}
