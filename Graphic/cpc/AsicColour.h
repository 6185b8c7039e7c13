#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Picture.h"
#include "ScreenMode.h"

// The CPC+ ASIC's colours. Its palette is 32 entries of 2 bytes in its
// register page from &6400: pens 0..15, the border at &6420, then the
// sprites' colours 1..15. Each entry holds 4 bits of red, green and blue,
// levels 0..15; this program shows level v as the channel byte 17 v.
inline constexpr int kPlusLevels = 16;
inline constexpr int kPlusLevelStep = 17; // channel byte of one level
static_assert((kPlusLevels - 1) * kPlusLevelStep == 255);

// One palette entry as the ASIC keeps it (and as a 16-bit little-endian word
// reads it: &0GRB):
//   byte 0, bits 7-4: red level     bits 3-0: blue level
//   byte 1, bits 7-4: 0             bits 3-0: green level
inline constexpr std::size_t kAsicColourBytes = 2;
using AsicColour = std::array<std::uint8_t, kAsicColourBytes>;

inline constexpr int kAsicPalettePens = 16;
// Pens 0..15 then the border, as a viewer writes them.
inline constexpr std::size_t kAsicPensAndBorderBytes = (kAsicPalettePens + 1) * kAsicColourBytes;
static_assert(kAsicPensAndBorderBytes == 34);

// The level (0..15) nearest a channel byte: (byte + 8) / 17, so 17 v gives v
// back and the CPC's 0, 127/128 and 254/255 give 0, 7/8 and 15.
int Plus_Level(std::uint8_t channel);

// The entry of levels red, green and blue (each 0..15). Raises an Exception
// naming the channel otherwise.
AsicColour Asic_Colour(int red, int green, int blue);

// The entry of an ink, each channel at its Plus_Level.
AsicColour Asic_Colour(const Ink& ink);

// The entries of pens 0..15 then the border for a picture of the mode in
// inks (mode.inkCount of them): the mode's inks in the first pens, ink 0 in
// the other pens and the border, as the CPC's viewer and loader set them.
// Raises an Exception when the inks do not suit the mode.
std::array<std::uint8_t, kAsicPensAndBorderBytes> Asic_Pens_And_Border(const InkList& inks,
                                                                       const ScreenMode& mode);
