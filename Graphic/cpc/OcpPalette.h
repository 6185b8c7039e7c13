#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Picture.h"
#include "ScreenMode.h"

// OCP Art Studio's palette file: the screen mode, the sixteen pens and the
// border, each with twelve frames of colour animation, and the inks the
// program excludes or protects. It loads at &8809 when it has a header.
inline constexpr std::size_t kOcpPaletteBytes = 239;
static_assert(kOcpPaletteBytes == 239);
inline constexpr int kOcpPaletteLoadAddress = 0x8809;

// The palette of a picture of the mode in inks (mode.inkCount of them): byte
// 0 the mode's number, the pens of the mode's inks their hardware colour
// bytes in every frame, the other pens and the border ink 0's; colour
// animation off, nothing excluded or protected.
std::array<std::uint8_t, kOcpPaletteBytes> Ocp_Palette(const InkList& inks, const ScreenMode& mode);

// The palette of a mode 1 picture in the four inks.
std::array<std::uint8_t, kOcpPaletteBytes> Ocp_Palette(const InkTable& inks);

// What a palette file says, as CPC colour numbers 0..26: the screen mode and
// the first animation frame of each pen and of the border.
struct OcpPaletteContents {
    int mode = 1;
    std::array<int, 16> pens{};
    int border = 0;
};

// Reads a palette of the layout above, 239 bytes, with or without the
// 128-byte AMSDOS header in front. A colour byte is a hardware colour with
// or without its command bits (&40..&5F or &00..&1F). Raises an Exception
// saying what is wrong for any other size, mode or colour byte.
OcpPaletteContents Ocp_Palette_Contents(std::span<const std::uint8_t> bytes);
