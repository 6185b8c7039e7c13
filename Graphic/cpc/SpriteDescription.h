#pragma once

#include <string>
#include <vector>

#include "ScreenMode.h"
#include "SpriteCells.h"

// What a sprite source file says about its bytes, one line each, without
// comment marks: the mode, the inks (colour numbers and BASIC INK lines), the
// cells' size and order, the row order, the byte layout of the mode and,
// with masks, the (mask, data) pairs and how to draw them. The assembler and
// the C header both open with it.
std::vector<std::string> Sprite_Description(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode);

// A name usable as a label in assembler and an identifier in C, made from
// text: letters, digits and "_" kept, anything else "_"; a leading digit gets
// "sprite_" in front, as does a word C or C++ keeps for itself (int, class,
// __x); no usable character gives "sprites".
std::string Sprite_Symbol_Of(const std::string& text);

// The CPC colour numbers of the inks, as "0, 6, 24, 26".
std::string Sprite_Ink_Numbers(const InkList& inks, const std::string& separator);
