#pragma once

#include <array>
#include <string>
#include <vector>

#include "Picture.h"
#include "ScreenMode.h"

// The colours an ink can take, one row each, beside the screen modes: the
// CPC's 27 and the CPC+'s 4,096. Every piece that depends on the colours
// (the inks given or printed, the ink search, the dithers' inks, the files)
// reads them from here.
//
// A colour of a palette is known by its index:
// - cpc: the colour number 0..26 = 9 green + 3 red + blue, each intensity
//   0..2, stored as channel bytes 0, 127 and 254 (as BASIC's INK takes it);
// - plus: 0..4095 = 256 red + 16 green + blue, each level 0..15, stored as
//   channel bytes 17 x the level (0, 17, ..., 255), so the index written in
//   hexadecimal is the colour's R G B digits.

enum class TPalette { Cpc, Plus };

struct Palette {
    TPalette id = TPalette::Cpc;
    const char* name = "cpc";     // the --palette option's name
    const char* title = "CPC";    // the machine's name, for titles and messages
    int colourCount = 27;         // colours an ink can take
    int levels = 3;               // levels of each channel
    int levelStep = 127;          // channel byte between neighbouring levels
    int textDigits = 0;           // hexadecimal digits of an ink's text; 0: a decimal colour number
};

inline constexpr int kPaletteCount = 2;
extern const std::array<Palette, kPaletteCount> kPalettes;

// The palette the program starts with, for which its classic paths are built.
inline constexpr TPalette kDefaultPalette = TPalette::Cpc;

const Palette& Palette_Of(TPalette id);
// The palette the --palette option's text names ("cpc" or "plus"). Raises
// an Exception naming the choices otherwise.
TPalette Palette_From_Option(const std::string& text);

// The ink of colour index (0 .. colourCount - 1). Raises an Exception otherwise.
Ink Palette_Ink(const Palette& palette, int colour);
// The inks of colour indices, in their order.
InkList Palette_Inks(const Palette& palette, const std::vector<int>& colours);
// The index of the palette colour an ink is exactly, or -1 when it is none.
// With cpc, channels 128 and 255 count as 127 and 254: the start inks of
// mode 1 are stored so.
int Palette_Colour_Of(const Palette& palette, const Ink& ink);
inline bool In_Palette(const Palette& palette, const Ink& ink) { return Palette_Colour_Of(palette, ink) >= 0; }
// The index of the palette colour nearest to any ink, channel by channel:
// cpc by the program's own rule (Colour_Number_Of_Ink), plus the nearest
// multiple of 17.
int Nearest_Palette_Colour(const Palette& palette, const Ink& ink);
// That colour's ink.
inline Ink Snap_To_Palette(const Palette& palette, const Ink& ink) {
    return Palette_Ink(palette, Nearest_Palette_Colour(palette, ink));
}

// An ink's text as the command line takes and prints it: the colour number
// with cpc ("13"), three hexadecimal digits R G B with plus ("F80").
std::string Palette_Colour_Text(const Palette& palette, int colour);
// The colour index of such a text (with plus, the digits in either case).
// Raises an Exception saying what the palette's inks are written as otherwise.
int Palette_Colour_From_Text(const Palette& palette, const std::string& text);
// What an ink's text is, for messages: "a colour number from 0 to 26",
// "three hexadecimal digits R G B from 000 to FFF".
std::string Palette_Colour_Form(const Palette& palette);

// How a dither reads a source's channel bytes: as they are, or as the
// palette level they show, so that a picture drawn in the inks' own colours
// (give or take a few levels of rounding) comes out exactly as drawn.
enum class TLevelReading {
    Bytes, // as they are
    Cpc,   // as their CPC intensity's level (Cpc_Level_Byte)
    Plus,  // as the nearest multiple of 17
};
// A channel byte as read.
std::uint8_t Read_Level_Byte(TLevelReading reading, std::uint8_t value);
// How to read source for these inks: Cpc where every channel shows a CPC
// intensity (Shows_Cpc_Levels); else Plus where every ink is a CPC+ colour
// and every pixel's nearest CPC+ colour is one of the inks; else Bytes.
TLevelReading Source_Level_Reading(const TPicture& source, const InkList& inks);
