#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ScreenGeometry.h"
#include "ScreenMode.h"

// A CPC 6128 Plus snapshot (.sna, version 3): the CPC snapshot of the screen
// (CpcSnapshot.h), its machine a 6128 Plus and its CRTC the ASIC's, then the
// "CPC+" chunk with the ASIC's registers: its palette holds the pens and the
// border in the picture's 12-bit colours, the sprites, raster interrupt,
// split screen, soft scroll and sound DMA are off, and the ASIC's register
// page is out and the ASIC locked, as the Plus viewer leaves them.
inline constexpr std::size_t kPlusChunkHeaderBytes = 8; // 4-letter name, 4-byte length
inline constexpr std::size_t kPlusChunkBytes = 0x8F8;   // the chunk's data
static_assert(kPlusChunkBytes == 2296);

// The snapshot of a result's screen memory (geometry.memoryBytes bytes, laid
// out as the CRTC reads it) in inks, mode.inkCount 12-bit colours. The
// header's gate array colours are the nearest of the CPC's 27, for a reader
// that skips the chunk. Raises an Exception as Cpc_Snapshot does, and when
// the inks do not suit the mode.
std::vector<std::uint8_t> Plus_Snapshot(std::span<const std::uint8_t> screenMemory,
                                        const InkList& inks, const ScreenMode& mode,
                                        const ScreenGeometry& geometry);
