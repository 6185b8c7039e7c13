#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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
