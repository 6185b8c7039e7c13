#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AsicColour.h"
#include "ScreenMode.h"

// A CPC+ palette file (.KIT): the colours of pens 0..15, 2 bytes each, in
// the order and layout of the ASIC's palette from &6400 (AsicColour.h), 32
// bytes in all; the border is not part of it. With its AMSDOS header it
// loads at &6400, where the pens lie in the ASIC's register page.
inline constexpr std::size_t kKitBytes = kAsicPalettePens * kAsicColourBytes;
static_assert(kKitBytes == 32);
inline constexpr int kKitLoadAddress = 0x6400;
inline constexpr const char* kKitExtension = "KIT";

// The palette of a picture of the mode in inks (mode.inkCount of them): the
// mode's inks in the first pens, ink 0 in the others. Raises an Exception
// when the inks do not suit the mode.
std::array<std::uint8_t, kKitBytes> Plus_Kit(const InkList& inks, const ScreenMode& mode);

// The same behind its AMSDOS header naming it name (an Amsdos_Name).KIT.
std::vector<std::uint8_t> Kit_File_With_Header(const InkList& inks, const ScreenMode& mode,
                                               const std::string& name);
