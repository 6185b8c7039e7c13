#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Picture.h"

// The About box's animation: rows of a hidden 128 x 512 texture, read as eight
// bands of 64 rows, are copied two at a time into a 128-wide frame at offsets
// that scroll, stretch and flip from tick to tick.

inline constexpr int kTextureWidth = 128;
inline constexpr int kTextureHeight = 512;
inline constexpr int kTextureBands = 8;
inline constexpr int kBandHeight = kTextureHeight / kTextureBands;
inline constexpr int kRowPairsPerBand = kBandHeight / 2;
inline constexpr int kFrameWidth = 128;
inline constexpr int kRowBytes = 3 * kFrameWidth;
inline constexpr int kBandSequenceLength = 32;
inline constexpr int kTableLength = 256;
static_assert(kBandHeight == 64 && kRowPairsPerBand == 32);
static_assert(kRowBytes == 384 && kTextureWidth == kFrameWidth);

// The band shown by each run of 8 table entries, in order.
extern const std::array<std::uint8_t, kBandSequenceLength> BandSequence;
// First row pair of the band for each band position: 32 x BandSequence[j / 8].
extern std::array<std::uint8_t, kTableLength> BandTable;
// Triangle wave 0, 2, ..., 254, 254, ..., 2, 0: the slope of the stretch plus 128.
extern std::array<std::uint8_t, kTableLength> SlopeWave;

// The phases of the animation: 0 at program start, advanced by each tick and
// never reset, so every showing of the box continues where the last one stopped.
extern std::uint8_t BandPhase;
extern std::uint8_t RowPhase;
extern std::uint8_t SlopePhase;

// Builds BandTable, gives the frame its size (see Size_About_Frame) and builds
// SlopeWave, in that order. Called once, when the box is created.
void Prepare_About_Animation(TPicture& frame, int viewHeight);

// Makes the frame the height of the view rounded down to even, 128 wide, 24-bit.
void Size_About_Frame(TPicture& frame, int viewHeight);

// What one tick computed: the slope s (-128..126), the start offset and the
// running remainder after the last row pair.
struct AboutTickState {
    int slope = 0;
    std::uint8_t startOffset = 0;
    int remainder = 0;
};

// Draws one frame from the texture in row pairs, then advances the phases.
// Allocates nothing. A texture that is not 128 x 512 24-bit or a frame that is
// not 128 wide and 24-bit is left undrawn (the phases still advance).
AboutTickState About_Animation_Tick(const TPicture& texture, TPicture& frame);

// Reads one of the box's pictures from the resources (":/about/...") as a
// 24-bit picture. Raises an Exception naming the resource when it is missing.
TPicture Load_About_Picture(const std::string& resourcePath);
