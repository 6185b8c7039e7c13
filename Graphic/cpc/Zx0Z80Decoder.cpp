#include "Zx0Z80Decoder.h"

#include "zx0_decodeCode.h"

static_assert(z80::zx0_decode::kAddress == kZx0Z80DecoderAddress,
              "the build assembles the decoder where the disc loads it");
static_assert(static_cast<int>(z80::zx0_decode::kCode.size()) <= kZx0Z80DecoderRoom,
              "the decoder fits the room the disc's layout keeps for it");

std::vector<std::uint8_t> Zx0_Z80_Decoder() {
    return {z80::zx0_decode::kCode.begin(), z80::zx0_decode::kCode.end()};
}
