#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ScreenMode.h"
#include "SpriteCells.h"

// The sprite files, chosen by the output name's ending (case-sensitive, as
// the other outputs): "asm" assembler source, ".h" a C header, "bin" raw bytes.
enum class SpriteFormat { None, Assembler, CHeader, Binary };
SpriteFormat Sprite_Format_Of(const std::string& fileName);

// The bytes of the sprite file of format, ready for Write_Raw_File; name is
// the labels' and arrays' name (a Sprite_Symbol_Of).
std::vector<std::uint8_t> Sprite_File_Bytes(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode,
                                            const std::string& name, SpriteFormat format);
