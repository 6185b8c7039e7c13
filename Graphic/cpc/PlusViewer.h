#pragma once

#include <cstdint>
#include <vector>

#include "OverscanViewer.h"
#include "ScreenGeometry.h"
#include "ScreenMode.h"

// The machine-code viewer of a picture in CPC+ colours (z80/PlusViewer.asm)
// and where a 6128 Plus disc's loader puts it: it is larger than the CPC's
// viewer (the unlock sequence and 34 bytes of colours), so it loads lower and
// ends where that one does, and the picture (or the ZX0 decoder and the
// compressed picture) follow it at the same addresses as on a CPC disc.
inline constexpr int kPlusViewerLoadAddress = 0x1700;
inline constexpr int kPlusViewerBytes = 0x200; // code, settings and the stack's room
static_assert(kPlusViewerLoadAddress + kPlusViewerBytes == kViewerPictureAddress &&
              kPlusViewerLoadAddress + kPlusViewerBytes == kZx0Z80DecoderAddress);

// The viewer's bytes, to load at kPlusViewerLoadAddress, set up to copy a
// picture of geometry.memoryBytes bytes from kViewerPictureAddress to
// geometry.baseAddress and to show it in mode on the screen's CRTC values,
// pens and border in the ASIC colours of inks (Asic_Pens_And_Border; the
// inks are 12-bit colours, channel level v as byte 17 v). Raises an
// Exception when the picture would not end below the firmware's memory or the
// inks do not suit the mode.
std::vector<std::uint8_t> Plus_Viewer(const InkList& inks, const ScreenMode& mode,
                                      const ScreenGeometry& geometry);

// The viewer and the ZX0 decoder in one file, to load at
// kPlusViewerLoadAddress, set up as Plus_Viewer's but to decode a ZX0 stream
// of streamBytes bytes from kPackedPictureAddress onto the screen. Raises an
// Exception when the stream would reach the screen memory or the firmware's.
std::vector<std::uint8_t> Packed_Plus_Viewer(const InkList& inks, const ScreenMode& mode,
                                             const ScreenGeometry& geometry, int streamBytes);
