#pragma once

// ZX0, the compressed data format of Einar Saukas' compressor, in which CPC
// pictures are usually shipped. Zx0Encoder writes it, Zx0Decoder reads it.
//
// A stream is a sequence of blocks in three kinds:
//   literal       0  Elias(length)  byte[1] .. byte[length]
//   last offset   0  Elias(length)              copies from the offset used last
//   new offset    1  Elias(MSB)  LSB  Elias(length - 1)
// The leading bit is left out of the first block, which is always a literal.
// A literal is never followed by a literal, so after a literal 0 means "last
// offset"; after a copy 0 means "literal". The last offset is 1 at the start.
// Offsets run from 1 to kZx0MaxOffset; MSB = (offset - 1) / 128 + 1, and the
// byte LSB holds 127 - (offset - 1) % 128 in its bits 7..1 and, in bit 0, the
// first bit of the length code that follows. A new-offset block whose MSB is
// 256 ends the stream (no LSB byte follows).
//
// Bits are packed into bytes from bit 7 down; a new byte of bits is taken
// from the stream, in its place among the literal and LSB bytes, when the
// previous one is used up.
//
// Elias(n), n >= 1, interlaced: for each bit of n after its leading 1, from
// the top, a 0 then that bit; then a 1. Elias(1) = "1", Elias(2) = "001",
// Elias(5) = "00011". The current format (version 2) inverts the value bits
// of the MSB code (not its 0/1 continuation bits); version 1, "classic",
// does not.
enum class Zx0Version { Current, Classic };

// The largest offset: MSB 255 with an LSB of 0.
inline constexpr int kZx0MaxOffset = 255 * 128;
static_assert(kZx0MaxOffset == 32640);
