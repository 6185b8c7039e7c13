#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"

// Width over height of one mode 1 pixel on a PAL screen: a square pixel
// lasts one cycle of 7.375 MHz, a mode 1 pixel one of the 8 MHz dot clock.
inline constexpr double kMode1PixelAspect = 7.375 / 8.0;
// Width over height of the picture the whole screen shows (1.475), the same
// in every mode.
inline constexpr double kScreenAspect = 320 * kMode1PixelAspect / 200;

// The CPC's three screen modes, one description each. Every piece that
// depends on the mode (packing, screen file, sprite, palette file, loader,
// fit, ink search, window) reads it from here; adding a mode is adding a row.
// All three share the 16384-byte screen layout: 200 rows of 80 bytes.
struct ScreenMode {
    int number = 1;        // the number BASIC's MODE takes
    int width = 320;       // pixels across the screen
    int height = 200;      // pixel rows
    int inkCount = 4;      // inks a pixel can take: 2 to the bits per pixel
    int bitsPerPixel = 2;  // bits of a pixel's ink number
    int pixelsPerByte = 4; // pixels that share one screen byte
    // Width over height of one pixel on a PAL screen (mode 1: 7.375 / 8).
    double pixelAspect = 0.921875;
    // Byte bit (7..0) holding bit k of the ink number of pixel p of a byte
    // (p = 0 is the leftmost pixel): pixelBit[p][k], for p < pixelsPerByte
    // and k < bitsPerPixel.
    std::array<std::array<int, 4>, 8> pixelBit{};
};

inline constexpr int kScreenModeCount = 3;
extern const std::array<ScreenMode, kScreenModeCount> kScreenModes;

// The mode of the given number (0, 1 or 2). Raises an Exception otherwise.
const ScreenMode& Screen_Mode(int number);
// The mode number the --mode option's text names, by the options' number
// rule. Raises an Exception naming the range otherwise.
int Screen_Mode_From_Option(const std::string& text);

// The mode whose number the program starts with, and that the classic
// four-ink path is built for.
inline constexpr int kDefaultScreenMode = 1;

// Bytes of one packed row of width pixels in mode: (width + pixelsPerByte - 1) / pixelsPerByte.
int Packed_Row_Bytes(const ScreenMode& mode, int width);

// The inks of a mode, index = the ink number a screen byte stores. Has
// mode.inkCount entries wherever a mode's inks are passed.
using InkList = std::vector<Ink>;

// The inks a mode starts with: in mode 1 the design's start inks
// (Reset_Ink_Table); in modes 0 and 2 the CPC's own inks of its pens at
// power-on (the flashing pens 14 and 15 at their first colours).
InkList Start_Inks(const ScreenMode& mode);

// The four inks of the table as a list, and back (the first four of a list;
// missing entries are black).
InkList Ink_List_Of(const InkTable& inks);
// The inks of CPC colour numbers (0..26), in their order.
InkList Ink_List_Of_Numbers(const std::vector<int>& numbers);
InkTable Ink_Table_Of(const InkList& inks);
