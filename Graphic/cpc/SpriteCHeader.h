#pragma once

#include <string>

#include "ScreenMode.h"
#include "SpriteCells.h"

// The cells as a C header that compiles as C and C++: include guards, a
// comment block (Sprite_Description), the constants NAME_WIDTH_BYTES,
// NAME_HEIGHT, NAME_CELLS, NAME_CELL_BYTES and NAME_INK_COUNT as #defines,
// the inks' colour numbers in NAME_INKS and the cells in
// const unsigned char NAME[NAME_CELLS][NAME_CELL_BYTES], one row of bytes a
// line. The arrays are defined here: include it in one source file.
std::string Sprite_C_Header(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode,
                            const std::string& name);
