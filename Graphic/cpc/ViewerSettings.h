#pragma once

#include <cstdint>
#include <vector>

#include "ScreenGeometry.h"
#include "ScreenMode.h"

// The settings block the machine-code viewers share (z80/OverscanViewer.asm
// and z80/PlusViewer.asm): the same fields in the same order, only their
// colours differ. Each is given here by where it lies from the viewer's
// first byte, as the build assembled it.
struct ViewerSettings {
    int modeByte = 0;     // 1 byte: gate array &8C + mode
    int crtcValues = 0;   // 6 x (register, value)
    int pictureLast = 0;  // word: the picture's last byte as loaded
    int screenLast = 0;   // word: the screen memory's last byte
    int pictureBytes = 0; // word: bytes to copy
    int stackTop = 0;     // word: the stack while the picture shows
    int decoder = 0;      // word: the ZX0 decoder, 0 for none
    int streamFirst = 0;  // word: the compressed picture's first byte
    int screenFirst = 0;  // word: the screen memory's first byte
};

// Fills viewer's settings to copy a picture of geometry.memoryBytes bytes,
// loaded at pictureAddress, to geometry.baseAddress and to show it in mode on
// the screen's CRTC values, the stack ending at stackTop. Raises an Exception
// when the picture would not end below the firmware's memory (from
// firmwareMemoryStart on).
void Set_Viewer_Screen(std::vector<std::uint8_t>& viewer, const ViewerSettings& settings,
                       const ScreenMode& mode, const ScreenGeometry& geometry, int pictureAddress,
                       int stackTop, int firmwareMemoryStart);

// Turns a viewer set up by Set_Viewer_Screen into the file of a compressed
// picture's disc: its decoder field the ZX0 decoder (Zx0Z80Decoder.h), which
// follows the viewer padded to viewerRoom bytes, unpacking streamBytes from
// streamAddress onto the screen. Raises an Exception when the stream would
// reach the screen memory or the firmware's memory.
std::vector<std::uint8_t> With_Viewer_Decoder(std::vector<std::uint8_t> viewer,
                                              const ViewerSettings& settings,
                                              const ScreenGeometry& geometry, int viewerRoom,
                                              int streamAddress, int streamBytes,
                                              int firmwareMemoryStart);
