#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ScreenGeometry.h"
#include "ScreenMode.h"

// A CPC 6128 snapshot (.sna, version 3): the machine's state as an emulator
// restores it, a 256-byte header then the 128 KB of memory. Ours shows a
// picture: its screen memory in place, the CRTC programmed to display it,
// the gate array's mode and colours set, interrupts off and the processor
// in a loop of one instruction outside the screen, ROMs switched off.
inline constexpr std::size_t kSnapshotHeaderBytes = 256;
inline constexpr std::size_t kSnapshotMemoryBytes = 128 * 1024;
inline constexpr std::size_t kSnapshotBytes = kSnapshotHeaderBytes + kSnapshotMemoryBytes;
static_assert(kSnapshotBytes == 131328);
inline constexpr std::size_t kCrtcRegisterCount = 18;
// Where the processor loops: below any screen the CPC shows (&8000-&FFFF).
inline constexpr int kSnapshotLoopAddress = 0x4000;

// What the snapshot shows: the screen memory, the address it goes to in the
// first 64 KB, the CRTC registers R0..R17 that display it (a full-screen
// geometry brings its own), the mode and the colour numbers (0..26) of the
// 16 pens and the border.
struct SnapshotScreen {
    std::span<const std::uint8_t> memory;
    int address = 0xC000;
    std::array<std::uint8_t, kCrtcRegisterCount> crtc{};
    int mode = kDefaultScreenMode;
    std::array<int, 16> pens{};
    int border = 0;
};

// The CRTC registers of the standard screen as the firmware sets them for a
// 50 Hz monitor: 40 x 25 characters of 8 lines from &C000.
extern const std::array<std::uint8_t, kCrtcRegisterCount> kStandardScreenCrtc;

// The screen of a picture of the mode: its screen memory at the screen's
// base address (16384 bytes at &C000 for the standard screen, 32768 at &8000
// for the full screen), the firmware's CRTC values with the screen's own
// display, sync and start registers, the mode's inks in the first pens and
// ink 0 in the other pens and the border, as the palette file and the
// disc's loader set them.
SnapshotScreen Standard_Snapshot_Screen(std::span<const std::uint8_t> screenMemory, const InkList& inks,
                                        const ScreenMode& mode,
                                        const ScreenGeometry& geometry = Screen_Geometry(TScreen::Standard));

// The kSnapshotBytes of the snapshot. Raises an Exception when the screen
// memory does not fit in the 64 KB from its address or covers the loop, a
// colour number is not 0..26 or the mode not 0..2.
std::vector<std::uint8_t> Cpc_Snapshot(const SnapshotScreen& screen);
