#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ScreenMode.h"

// The screens a picture can fill, one description each, beside the modes.
// A screen is a shape of CRTC display (characters across and down) and the
// memory the CRTC reads it from; its pixel counts follow the mode. Every
// piece that depends on the screen (fit, packing, screen file, disc, loader,
// ink search) reads it from here; adding a screen is adding a row.
//
// The CRTC counts 16-bit words ("characters" of 2 bytes) and forms each byte
// address the way the CPC wires it: A15-A14 = MA13-MA12 (the 16 KB bank),
// A13-A11 = RA2-RA0 (the line within the character row), A10-A1 = MA9-MA0,
// A0 = which byte of the word. MA starts at R12:R13 and grows by R1 a row.
enum class TScreen { Standard, Overscan };

struct ScreenGeometry {
    TScreen screen = TScreen::Standard;
    const char* name = "standard"; // the word the --screen option takes
    int characterColumns = 40;     // R1, horizontal displayed: words a line
    int characterRows = 25;        // R6, vertical displayed: character rows
    int linesPerCharacter = 8;     // R9 + 1: pixel lines of a character row
    int baseAddress = 0xC000;      // first byte of the screen's memory
    int memoryBytes = 0x4000;      // bytes of memory the screen spans
    int hsyncPosition = 46;        // R2: where the horizontal sync starts, in characters
    int vsyncPosition = 30;        // R7: where the vertical sync starts, in character rows
    int startHigh = 0x30;          // R12: MA13-MA8 of the first character
    int startLow = 0x00;           // R13: MA7-MA0 of the first character
};

inline constexpr int kScreenCount = 2;
extern const std::array<ScreenGeometry, kScreenCount> kScreens;

// The description of screen.
const ScreenGeometry& Screen_Geometry(TScreen screen);

// The screen the --screen option's text names. Raises an Exception naming
// the choices otherwise.
TScreen Screen_From_Option(const std::string& text);

// Bytes of one pixel line and pixel lines of the screen.
int Screen_Line_Bytes(const ScreenGeometry& geometry);
int Screen_Lines(const ScreenGeometry& geometry);

// Mode_On_Screen of mode number (0, 1 or 2) and screen, kept for the whole
// run so that callers may hold on to it. Raises an Exception for a mode that
// does not exist.
const ScreenMode& Screen_Mode_On(int number, TScreen screen);

// The memory address the CRTC reads byte b (0 .. line bytes - 1) of pixel
// line y (0 .. lines - 1) from.
int Screen_Byte_Address(const ScreenGeometry& geometry, int y, int b);

// mode on the screen: the mode's pixels, inks and packing, its width and
// height those the screen shows in that mode.
ScreenMode Mode_On_Screen(const ScreenMode& mode, const ScreenGeometry& geometry);

// The geometry.memoryBytes bytes of memory from geometry.baseAddress that
// show packed rows (Screen_Lines rows of Screen_Line_Bytes bytes, top row
// first), as the CRTC reads them. Bytes the CRTC never shows are 0. Raises
// an Exception when packed has another size.
std::vector<std::uint8_t> Screen_Memory_Layout(const std::vector<std::uint8_t>& packed,
                                               const ScreenGeometry& geometry);
