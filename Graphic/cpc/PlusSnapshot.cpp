#include "PlusSnapshot.h"

#include <algorithm>

#include "AsicColour.h"
#include "CpcSnapshot.h"

namespace {

// Header fields changed from the CPC snapshot's (offsets in its 256 bytes).
constexpr std::size_t kCpcTypeOffset = 0x6D;  // 1 byte: 4 = 6128 Plus
constexpr std::size_t kCrtcTypeOffset = 0xA4; // 1 byte: 3 = the 6845 inside the CPC+ ASIC
constexpr std::uint8_t kCpc6128Plus = 4;
constexpr std::uint8_t kAsicCrtc = 3;

constexpr char kChunkName[] = "CPC+";

// The chunk's fields, offsets in its data, each with its ASIC register; every
// byte not set here is 0.
// &800 bytes: the sprites' pixels (&4000..), 16 sprites of 16 x 16, two a byte; 0 = clear.
constexpr std::size_t kSpriteBitmapsOffset = 0x000;
// 16 x 8 bytes (&6000..): X word, Y word, magnification (0 = not shown), 3 unused.
constexpr std::size_t kSpriteAttributesOffset = 0x800;
// 32 x 2 bytes (&6400..&643F): pens 0..15, the border, the sprites' colours 1..15.
constexpr std::size_t kPaletteOffset = 0x880;
constexpr std::size_t kRasterInterruptOffset = 0x8C0; // 1 byte (&6800): raster interrupt, 0 = off
constexpr std::size_t kSplitLineOffset = 0x8C1;       // 1 byte (&6801): screen split line, 0 = none
constexpr std::size_t kSplitAddressOffset = 0x8C2;    // 2 bytes (&6802): the split's screen address
constexpr std::size_t kSoftScrollOffset = 0x8C4;      // 1 byte (&6804): soft scroll, 0 = none
constexpr std::size_t kInterruptVectorOffset = 0x8C5; // 1 byte (&6805): interrupt vector
// 0x8C6..0x8C7 unused.
constexpr std::size_t kAnalogueInputsOffset = 0x8C8; // 8 bytes (&6808..&680F): analogue inputs 0..7
// 3 x 4 bytes (&6C00..&6C0B): each sound DMA channel's address word, prescaler, 1 unused.
constexpr std::size_t kDmaChannelsOffset = 0x8D0;
// 0x8DC..0x8DE unused.
constexpr std::size_t kDmaControlOffset = 0x8DF; // 1 byte (&6C0F): DMA control, 0 = all stopped
// 3 x 7 bytes: each DMA channel's loop count, loop address, pause count and prescaler count.
constexpr std::size_t kDmaStateOffset = 0x8E0;
constexpr std::size_t kRmr2Offset = 0x8F5;        // 1 byte: the last byte written to RMR2
constexpr std::size_t kUnlockedOffset = 0x8F6;    // 1 byte: 0 locked, 1 unlocked
constexpr std::size_t kUnlockStateOffset = 0x8F7; // 1 byte: place in the unlock sequence, 0 = none
static_assert(kSpriteBitmapsOffset + 0x800 == kSpriteAttributesOffset &&
              kSpriteAttributesOffset + 16 * 8 == kPaletteOffset &&
              kPaletteOffset + 32 * 2 == kRasterInterruptOffset &&
              kRasterInterruptOffset < kSplitLineOffset && kSplitLineOffset < kSplitAddressOffset &&
              kSplitAddressOffset + 2 == kSoftScrollOffset &&
              kSoftScrollOffset < kInterruptVectorOffset &&
              kInterruptVectorOffset + 3 == kAnalogueInputsOffset &&
              kAnalogueInputsOffset + 8 == kDmaChannelsOffset &&
              kDmaChannelsOffset + 3 * 4 + 3 == kDmaControlOffset &&
              kDmaControlOffset + 1 == kDmaStateOffset && kDmaStateOffset + 3 * 7 == kRmr2Offset &&
              kUnlockStateOffset + 1 == kPlusChunkBytes);

constexpr std::uint8_t kRmr2PageOut = 0xA0; // register page out, lower ROM at &0000

void putLittle32(std::vector<std::uint8_t>& bytes, std::size_t value) {
    for (int k = 0; k < 4; ++k)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

} // namespace

std::vector<std::uint8_t> Plus_Snapshot(std::span<const std::uint8_t> screenMemory,
                                        const InkList& inks, const ScreenMode& mode,
                                        const ScreenGeometry& geometry) {
    const auto colours = Asic_Pens_And_Border(inks, mode);
    std::vector<std::uint8_t> bytes =
        Cpc_Snapshot(Standard_Snapshot_Screen(screenMemory, inks, mode, geometry));
    bytes[kCpcTypeOffset] = kCpc6128Plus;
    bytes[kCrtcTypeOffset] = kAsicCrtc;

    bytes.insert(bytes.end(), kChunkName, kChunkName + sizeof kChunkName - 1);
    putLittle32(bytes, kPlusChunkBytes);
    const std::size_t chunk = bytes.size();
    bytes.resize(chunk + kPlusChunkBytes, 0);
    std::copy(colours.begin(), colours.end(),
              bytes.begin() + static_cast<long>(chunk + kPaletteOffset));
    bytes[chunk + kRmr2Offset] = kRmr2PageOut; // and kUnlockedOffset 0: locked again
    return bytes;
}
