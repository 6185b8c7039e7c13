#include "OcpPalette.h"

#include <algorithm>

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
