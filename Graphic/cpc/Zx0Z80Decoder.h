#pragma once

#include <cstdint>
#include <vector>

// The Z80 ZX0 decoder (z80/zx0_decode.asm, current format), assembled to run
// at kZx0Z80DecoderAddress: the packed viewer's disc loads it right after the
// viewer. Called with HL = the stream's first byte and DE = where the data
// goes; it returns with the data written.
inline constexpr int kZx0Z80DecoderAddress = 0x1900;
inline constexpr int kZx0Z80DecoderRoom = 0x80; // bytes kept for it on the disc's layout

std::vector<std::uint8_t> Zx0_Z80_Decoder();
