#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Picture.h"

// OCP Art Studio's palette file: the screen mode, the sixteen pens and the
// border, each with twelve frames of colour animation, and the inks the
// program excludes or protects. It loads at &8809 when it has a header.
inline constexpr std::size_t kOcpPaletteBytes = 239;
static_assert(kOcpPaletteBytes == 239);
inline constexpr int kOcpPaletteLoadAddress = 0x8809;

// The palette of a mode 1 picture in inks: pens 0..3 hold the inks' hardware
// colour bytes in every frame, pens 4..15 and the border ink 0's; colour
// animation off, nothing excluded or protected.
std::array<std::uint8_t, kOcpPaletteBytes> Ocp_Palette(const InkTable& inks);
