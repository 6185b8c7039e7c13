#include "OcpPalette.h"

#include <algorithm>
#include <string>

#include "AmsdosHeader.h"
#include "SysUtils.h"

namespace {

constexpr std::size_t kModeOffset = 0;            // 1 byte: screen mode
constexpr std::size_t kAnimationOffset = 1;       // 1 byte: colour animation, &FF on, &00 off
constexpr std::size_t kAnimationDelayOffset = 2;  // 1 byte: frames between animation steps, less 1
constexpr std::size_t kPensOffset = 3;            // 16 pens x 12 frames: hardware colour bytes
constexpr std::size_t kBorderOffset = 195;        // 12 frames: the border's hardware colour bytes
constexpr std::size_t kExcludedInksOffset = 207;  // 16 bytes: inks excluded from drawing
constexpr std::size_t kProtectedInksOffset = 223; // 16 bytes: inks protected from drawing
constexpr std::size_t kFramesPerPen = 12;
constexpr std::size_t kPenCount = 16;
constexpr std::size_t kInkFlagBytes = 16;
static_assert(kPensOffset + kPenCount * kFramesPerPen == kBorderOffset);
static_assert(kBorderOffset + kFramesPerPen == kExcludedInksOffset);
static_assert(kExcludedInksOffset + kInkFlagBytes == kProtectedInksOffset);
static_assert(kProtectedInksOffset + kInkFlagBytes == kOcpPaletteBytes);

// The gate array reads the low five bits of a colour command; the top three
// are the command itself (&40), which files may leave out.
constexpr std::uint8_t kColourBits = 0x1F;
constexpr std::uint8_t kColourCommand = 0x40;
constexpr std::uint8_t kAnimationOff = 0x00;
constexpr std::uint8_t kNoDelay = 0;

std::uint8_t hardwareByte(const Ink& ink) {
    return Hardware_Colour_Byte[Colour_Number_Of_Ink(ink)];
}

void putFrames(std::uint8_t* at, std::uint8_t colour) {
    std::fill(at, at + kFramesPerPen, colour);
}

} // namespace

std::array<std::uint8_t, kOcpPaletteBytes> Ocp_Palette(const InkTable& inks) {
    return Ocp_Palette(Ink_List_Of(inks), Screen_Mode(kDefaultScreenMode));
}

std::array<std::uint8_t, kOcpPaletteBytes> Ocp_Palette(const InkList& inks,
                                                       const ScreenMode& mode) {
    if (static_cast<int>(inks.size()) != mode.inkCount)
        throw Exception("A mode " + IntToStr(mode.number) + " palette takes " +
                        IntToStr(mode.inkCount) + " inks");
    std::array<std::uint8_t, kOcpPaletteBytes> palette{};
    palette[kModeOffset] = static_cast<std::uint8_t>(mode.number);
    palette[kAnimationOffset] = kAnimationOff;
    palette[kAnimationDelayOffset] = kNoDelay;
    const std::uint8_t ink0 = hardwareByte(inks[0]);
    for (std::size_t pen = 0; pen < kPenCount; ++pen)
        putFrames(&palette[kPensOffset + pen * kFramesPerPen],
                  pen < inks.size() ? hardwareByte(inks[pen]) : ink0);
    putFrames(&palette[kBorderOffset], ink0);
    // The excluded and protected inks stay 0: none.
    return palette;
}

namespace {

// Colour number of each of the 32 hardware colours: the 27 of the colour
// table, and five that repeat one of them.
std::array<int, 32> colourNumbersOfHardware() {
    std::array<int, 32> numbers{};
    for (int n = 0; n < kColourCount; ++n)
        numbers[Hardware_Colour_Byte[n] & kColourBits] = n;
    numbers[0x01] = 13; // white, as &40
    numbers[0x08] = 7;  // purple, as &45
    numbers[0x09] = 25; // pastel yellow, as &43
    numbers[0x10] = 1;  // blue, as &44
    numbers[0x11] = 19; // sea green, as &42
    return numbers;
}

int colourNumberAt(std::span<const std::uint8_t> palette, std::size_t offset) {
    static const std::array<int, 32> numbers = colourNumbersOfHardware();
    const std::uint8_t byte = palette[offset];
    if ((byte & ~kColourBits) != kColourCommand && (byte & ~kColourBits) != 0)
        throw Exception("byte " + std::to_string(offset) + " (" + std::to_string(byte) +
                        ") is not a CPC hardware colour");
    return numbers[byte & kColourBits];
}

} // namespace

OcpPaletteContents Ocp_Palette_Contents(std::span<const std::uint8_t> bytes) {
    std::span<const std::uint8_t> palette = bytes;
    if (bytes.size() == kAmsdosHeaderBytes + kOcpPaletteBytes && Starts_With_Amsdos_Header(bytes))
        palette = bytes.subspan(kAmsdosHeaderBytes);
    if (palette.size() != kOcpPaletteBytes)
        throw Exception("a palette file holds " + std::to_string(kOcpPaletteBytes) + " bytes (" +
                        std::to_string(kAmsdosHeaderBytes + kOcpPaletteBytes) + " with an AMSDOS header), not " +
                        std::to_string(bytes.size()));
    OcpPaletteContents contents;
    if (palette[kModeOffset] >= kScreenModeCount)
        throw Exception("its screen mode is " + std::to_string(palette[kModeOffset]) + "; the CPC has modes 0, 1 and 2");
    contents.mode = palette[kModeOffset];
    for (std::size_t pen = 0; pen < kPenCount; ++pen)
        contents.pens[pen] = colourNumberAt(palette, kPensOffset + pen * kFramesPerPen);
    contents.border = colourNumberAt(palette, kBorderOffset);
    return contents;
}
