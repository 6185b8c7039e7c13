#pragma once

#include <string>

#include "ScreenMode.h"
#include "SpriteCells.h"

// The cells as Z80 assembler source for pasmo and the CPC's usual
// assemblers: a comment block (Sprite_Description), then for each cell a
// label NAME_0, NAME_1... and its rows, one "db" line a row in hexadecimal
// (#0F), then the constants NAME_WIDTH_BYTES, NAME_HEIGHT, NAME_CELLS and
// NAME_CELL_BYTES. Assembled with no "org", it gives exactly Sprite_Binary.
std::string Sprite_Assembler(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode,
                             const std::string& name);
