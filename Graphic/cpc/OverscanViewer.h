#pragma once

#include <cstdint>
#include <vector>

#include "ScreenGeometry.h"
#include "ScreenMode.h"
#include "Zx0Z80Decoder.h"

// The machine-code viewer of a screen that BASIC cannot show (z80/
// OverscanViewer.asm), and where the disc's loader puts it and the picture.
// BASIC's HIMEM goes below the viewer, the picture follows it, and both end
// below the memory AMSDOS keeps for itself (from &A67C on a disc machine).
// HIMEM stays well above &1173: BASIC's first LOAD takes a 4 KB file buffer
// below HIMEM and says "Memory full" when a short program leaves no room.
inline constexpr int kViewerLoadAddress = 0x1800;
inline constexpr int kViewerBytes = 0x100; // code, settings and the stack's room
inline constexpr int kViewerPictureAddress = kViewerLoadAddress + kViewerBytes;
inline constexpr int kFirmwareMemoryStart = 0xA67C;
static_assert(kViewerLoadAddress + kViewerBytes <= kViewerPictureAddress);

// The viewer's bytes, to load at kViewerLoadAddress, set up to copy a
// picture of geometry.memoryBytes bytes from kViewerPictureAddress to
// geometry.baseAddress (its stack at the end of its kViewerBytes) and to show it in mode with inks
// (mode.inkCount of them; the other pens and the border take ink 0's colour) and the screen's CRTC
// values. Raises an Exception when the picture would not end below the firmware's memory or the
// inks do not suit the mode.
std::vector<std::uint8_t> Overscan_Viewer(const InkList& inks, const ScreenMode& mode,
                                          const ScreenGeometry& geometry);

// A compressed picture's disc: the viewer padded to kViewerBytes, then the
// ZX0 decoder (Zx0Z80Decoder.h) in its room, then the ZX0 stream.
inline constexpr int kPackedPictureAddress = kZx0Z80DecoderAddress + kZx0Z80DecoderRoom;
static_assert(kZx0Z80DecoderAddress == kViewerLoadAddress + kViewerBytes,
              "the decoder follows the viewer in the same file");

// The viewer and the decoder in one file, to load at kViewerLoadAddress, set
// up as Overscan_Viewer's but to decode a ZX0 stream of streamBytes bytes
// from kPackedPictureAddress onto the screen of geometry. Raises an Exception
// when the stream would reach the screen memory or the firmware's memory.
std::vector<std::uint8_t> Packed_Viewer(const InkList& inks, const ScreenMode& mode,
                                        const ScreenGeometry& geometry, int streamBytes);
