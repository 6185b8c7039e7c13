#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Picture.h"
#include "ScreenMode.h"

// How a sprite sheet's rows of bytes are stored: each row left to right, or
// even rows (0, 2, ...) left to right and odd rows right to left, for drawing
// routines that run both ways.
enum class SpriteRows { Down, Zigzag };

// What the sprite cutter is asked for.
struct SpriteCutting {
    int cellWidth = 0;  // pixels across one cell: a whole number of bytes in the mode
    int cellHeight = 0; // pixel rows of one cell
    int cellCount = 0;  // the first cells kept; 0 keeps them all
    SpriteRows rows = SpriteRows::Down;
    // The ink drawn as see-through: each byte gets a mask byte in front.
    std::optional<int> transparentInk;
};

// The cells of a sheet in the screen's byte format. Each cell is height rows
// of widthBytes bytes; with a transparent ink every byte is a pair (mask,
// data), so a row takes 2 x widthBytes bytes.
struct SpriteCells {
    int widthPixels = 0;
    int widthBytes = 0;
    int height = 0;
    std::optional<int> transparentInk; // set: the cells are masked
    SpriteRows rows = SpriteRows::Down;
    std::vector<std::vector<std::uint8_t>> cells;
};

// The reason a picture of width x height pixels cannot be cut as asked, in one
// line naming the sizes that fit, or "" when it can: the cell width must be a
// whole number of bytes of mode, the picture a whole number of cells, the
// cell count at most the cells there are, the transparent ink one of the mode's.
std::string Sprite_Cutting_Refusal(int width, int height, const ScreenMode& mode, const SpriteCutting& cutting);

// Cuts the result into cells left to right, then top to bottom, packing each
// pixel by its exact ink (Pack_Mode_Rows). A transparent pixel has data bits 0
// and mask bits 1; every other pixel mask bits 0. Raises an Exception with
// Sprite_Cutting_Refusal's reason, or when a pixel is none of the inks.
SpriteCells Cut_Sprite_Cells(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                             const SpriteCutting& cutting);

// The bytes of one cell row as stored (bytes, or mask and data pairs).
inline int Sprite_Row_Bytes(const SpriteCells& cells) { return cells.widthBytes * (cells.transparentInk ? 2 : 1); }
