#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"
#include "ScreenGeometry.h"
#include "ScreenMode.h"

// Packs a result into the bytes of a screen mode, row after row from the top,
// Packed_Row_Bytes(mode, width) bytes a row, each pixel's ink number placed
// at the mode's bits. A pixel's ink is the first of inks of its exact colour;
// pixels past a row's end in its last byte are ink 0. Raises an Exception
// naming the first pixel that is none of the inks, and when there are more
// inks than the mode has. An empty result gives no bytes.
std::vector<std::uint8_t> Pack_Mode_Rows(const TPicture& result, const InkList& inks,
                                         const ScreenMode& mode);

// The ink number of pixel (0 = leftmost) of a packed byte of mode, read
// back from the mode's bits: the inverse of Pack_Mode_Rows for one pixel.
int Packed_Pixel_Ink(const ScreenMode& mode, std::uint8_t byte, int pixel);

// The byte bits that hold pixel (0 = leftmost) of mode: all its ink bits set.
std::uint8_t Packed_Pixel_Bits(const ScreenMode& mode, int pixel);

// True when result fills the mode's screen: mode.width x mode.height.
bool Fits_Mode_Screen(const TPicture& result, const ScreenMode& mode);

// What a screen file of the wrong size is told: the design's words in mode 1.
std::string Screen_Size_Message(const ScreenMode& mode);

// How the refusals name what a picture for a screen other than the standard
// one must measure, before its size: "a full-screen mode 1 picture needs".
std::string Screen_Needs(const ScreenMode& mode, const ScreenGeometry& geometry);

// The screen memory of a result that fills the mode's screen on geometry
// (16384 bytes from &C000 on the standard screen, 32768 from &8000 in
// overscan): packed, then laid out as the CRTC reads it (Screen_Memory_Layout);
// bytes the CRTC never shows are 0. Raises an Exception when the result does
// not fill the screen.
std::vector<std::uint8_t> Mode_Screen_File_Bytes(const TPicture& result, const InkList& inks,
                                                 const ScreenMode& mode,
                                                 const ScreenGeometry& geometry = kScreens[0]);
