#include "CpcSnapshot.h"

#include <algorithm>
#include <cstring>

#include "SysUtils.h"

namespace {

// Header fields (offsets in the 256-byte header, little-endian); every byte
// not named here is 0: the other registers, the PPI's ports, the ROM number,
// the disc drive's and the printer's state and the CRTC's and gate array's
// counters, which the emulator starts from 0.
constexpr std::size_t kSignatureOffset = 0x00;      // 8 bytes: "MV - SNA"
constexpr std::size_t kVersionOffset = 0x10;        // 1 byte: snapshot version, 3
constexpr std::size_t kSpOffset = 0x21;             // 2 bytes: Z80 stack pointer
constexpr std::size_t kPcOffset = 0x23;             // 2 bytes: Z80 program counter
constexpr std::size_t kInterruptModeOffset = 0x25;  // 1 byte: Z80 interrupt mode, 1 as the firmware has it
// IFF0 at 0x1B and IFF1 at 0x1C stay 0: interrupts disabled.
constexpr std::size_t kPaletteOffset = 0x2F;        // 17 bytes: gate array pens 0..15 then border, hardware colour codes
constexpr std::size_t kMultiConfigOffset = 0x40;    // 1 byte: gate array mode and ROM register, last byte written
constexpr std::size_t kCrtcOffset = 0x43;           // 18 bytes: CRTC registers R0..R17
constexpr std::size_t kPpiControlOffset = 0x59;     // 1 byte: PPI control, &82 as the firmware sets it
constexpr std::size_t kPsgRegistersOffset = 0x5B;   // 16 bytes: PSG registers R0..R15
constexpr std::size_t kMemorySizeOffset = 0x6B;     // 2 bytes: memory dump size in KB
constexpr std::size_t kCpcTypeOffset = 0x6D;        // 1 byte: 2 = CPC 6128
static_assert(kCpcTypeOffset < kSnapshotHeaderBytes);

constexpr char kSignature[] = "MV - SNA";
constexpr std::uint8_t kVersion = 3;
constexpr std::uint8_t kInterruptMode = 1;
// Gate array function 10 (bits 7..6), upper and lower ROM off (bits 3, 2), mode in bits 1..0.
constexpr std::uint8_t kMultiConfigRomsOff = 0x80 | 0x08 | 0x04;
constexpr std::uint8_t kPpiControl = 0x82;
// PSG register 7, the mixer: every tone and noise channel off.
constexpr std::size_t kPsgMixer = 7;
constexpr std::uint8_t kPsgAllOff = 0x3F;
constexpr std::uint8_t kCpc6128 = 2;
// Bits 4..0 of the gate array's colour byte: the hardware colour code.
constexpr std::uint8_t kHardwareCodeBits = 0x1F;
// JR -2: a jump to itself.
constexpr std::array<std::uint8_t, 2> kLoop = {0x18, 0xFE};
constexpr int kStackAddress = kSnapshotLoopAddress;

void putLittle(std::uint8_t* at, unsigned value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t hardwareCode(int colourNumber) {
    if (colourNumber < 0 || colourNumber >= kColourCount)
        throw Exception("A snapshot takes colour numbers from 0 to 26, not " + IntToStr(colourNumber));
    return Hardware_Colour_Byte[colourNumber] & kHardwareCodeBits;
}

} // namespace

const std::array<std::uint8_t, kCrtcRegisterCount> kStandardScreenCrtc = {
    63,   // R0 horizontal total: 64 characters a line
    40,   // R1 horizontal displayed: 40 characters (80 bytes)
    46,   // R2 horizontal sync position
    0x8E, // R3 sync widths: vertical 8 lines, horizontal 14 characters
    38,   // R4 vertical total: 39 character rows
    0,    // R5 vertical total adjust
    25,   // R6 vertical displayed: 25 character rows
    30,   // R7 vertical sync position
    0,    // R8 interlace off
    7,    // R9 maximum raster: 8 lines a character row
    0,    // R10 cursor start (no cursor on the CPC)
    0,    // R11 cursor end
    0x30, // R12 display start high: &C000 bank (bits 5..4 = 11), offset 0
    0x00, // R13 display start low
    0,    // R14 cursor address high
    0,    // R15 cursor address low
    0,    // R16 light pen high
    0,    // R17 light pen low
};

SnapshotScreen Standard_Snapshot_Screen(std::span<const std::uint8_t> screenMemory, const InkList& inks,
                                        const ScreenMode& mode, const ScreenGeometry& geometry) {
    if (static_cast<int>(inks.size()) != mode.inkCount)
        throw Exception("A mode " + IntToStr(mode.number) + " snapshot takes " + IntToStr(mode.inkCount) + " inks");
    SnapshotScreen screen;
    screen.memory = screenMemory;
    screen.address = geometry.baseAddress;
    screen.crtc = kStandardScreenCrtc;
    // The registers a screen sets, as the full-screen viewer sets them.
    screen.crtc[1] = static_cast<std::uint8_t>(geometry.characterColumns);
    screen.crtc[2] = static_cast<std::uint8_t>(geometry.hsyncPosition);
    screen.crtc[6] = static_cast<std::uint8_t>(geometry.characterRows);
    screen.crtc[7] = static_cast<std::uint8_t>(geometry.vsyncPosition);
    screen.crtc[12] = static_cast<std::uint8_t>(geometry.startHigh);
    screen.crtc[13] = static_cast<std::uint8_t>(geometry.startLow);
    screen.mode = mode.number;
    screen.border = Colour_Number_Of_Ink(inks[0]);
    screen.pens.fill(screen.border);
    for (std::size_t pen = 0; pen < inks.size(); ++pen)
        screen.pens[pen] = Colour_Number_Of_Ink(inks[pen]);
    return screen;
}

std::vector<std::uint8_t> Cpc_Snapshot(const SnapshotScreen& screen) {
    const long first = screen.address;
    const long end = first + static_cast<long>(screen.memory.size());
    if (first < 0 || end > 0x10000)
        throw Exception("A snapshot's screen of " + IntToStr(static_cast<int>(screen.memory.size())) +
                        " bytes does not fit in 64 KB from its address");
    if (first < kSnapshotLoopAddress + static_cast<long>(kLoop.size()) && end > kSnapshotLoopAddress)
        throw Exception("A snapshot's screen may not cover the processor's loop at &4000");
    if (screen.mode < 0 || screen.mode >= kScreenModeCount)
        throw Exception("A snapshot takes mode 0, 1 or 2, not " + IntToStr(screen.mode));

    std::vector<std::uint8_t> bytes(kSnapshotBytes, 0);
    std::uint8_t* header = bytes.data();
    std::memcpy(header + kSignatureOffset, kSignature, sizeof kSignature - 1);
    header[kVersionOffset] = kVersion;
    putLittle(header + kSpOffset, kStackAddress);
    putLittle(header + kPcOffset, kSnapshotLoopAddress);
    header[kInterruptModeOffset] = kInterruptMode;
    for (std::size_t pen = 0; pen < screen.pens.size(); ++pen)
        header[kPaletteOffset + pen] = hardwareCode(screen.pens[pen]);
    header[kPaletteOffset + screen.pens.size()] = hardwareCode(screen.border);
    header[kMultiConfigOffset] = static_cast<std::uint8_t>(kMultiConfigRomsOff | screen.mode);
    std::copy(screen.crtc.begin(), screen.crtc.end(), header + kCrtcOffset);
    header[kPpiControlOffset] = kPpiControl;
    header[kPsgRegistersOffset + kPsgMixer] = kPsgAllOff;
    putLittle(header + kMemorySizeOffset, kSnapshotMemoryBytes / 1024);
    header[kCpcTypeOffset] = kCpc6128;

    std::uint8_t* memory = bytes.data() + kSnapshotHeaderBytes;
    std::copy(screen.memory.begin(), screen.memory.end(), memory + first);
    std::copy(kLoop.begin(), kLoop.end(), memory + kSnapshotLoopAddress);
    return bytes;
}
