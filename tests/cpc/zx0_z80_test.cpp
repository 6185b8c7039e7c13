#include <gtest/gtest.h>

#include <iostream>
#include <random>

#include "CpcBench.h"
#include "LandscapePicture.h"
#include "ModePacking.h"
#include "ScreenGeometry.h"
#include "Zx0Encoder.h"
#include "Zx0Z80Decoder.h"
#include "Dithers.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
// The calling stub lies at the end of the decoder's room, its stack above it,
// the stream after that. Its last instruction, the one that switches the lower
// ROM in, lies at the top of memory: the next opcode comes from address 0, the
// bench's reset, which stops the run.
constexpr int kStubAddress = kZx0Z80DecoderAddress + kZx0Z80DecoderRoom;
constexpr int kStreamAddress = kStubAddress + 0x80;
constexpr int kLastInstruction = 0xFFFE;
constexpr int kScreenEnd = 0xFFF0;

// A screen of bytes drawn from the first `values` byte values.
Bytes randomScreen(TScreen screen, int values) {
    std::mt19937 generator(static_cast<unsigned>(values));
    Bytes bytes(static_cast<std::size_t>(Screen_Geometry(screen).memoryBytes));
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(generator() % static_cast<unsigned>(values));
    return bytes;
}

// The screen memory of the landscape dithered in mode's start inks at the screen's size.
Bytes landscapeScreen(TScreen screen, int modeNumber, TDither dither) {
    const ScreenGeometry& geometry = Screen_Geometry(screen);
    const ScreenMode& mode = Screen_Mode(modeNumber);
    const ScreenMode onScreen = Mode_On_Screen(mode, geometry);
    TPicture source = testing_pictures::landscape(onScreen.width, onScreen.height), result, map;
    const InkList inks = Start_Inks(mode);
    Mode_Dither(dither, source, result, map, inks, 0, 0, 0, mode);
    return Mode_Screen_File_Bytes(result, inks, mode, geometry);
}

struct Z80Case {
    const char* name;
    Bytes screen;
    friend void PrintTo(const Z80Case& c, std::ostream* out) { *out << c.name; }
};

class Zx0Z80Decoder : public testing::TestWithParam<Z80Case> {};

// The encoder's stream, decoded by the Z80 below the top of memory, is the
// screen byte for byte; the T-states per byte (the stub's few included) are printed.
TEST_P(Zx0Z80Decoder, DecodesTheEncodersStreamToTheScreen) {
    const Bytes& screen = GetParam().screen;
    const Bytes stream = Zx0_Compress(screen);
    const int destination = kScreenEnd - static_cast<int>(screen.size());
    ASSERT_LE(kStreamAddress + static_cast<int>(stream.size()), destination);
    const auto low = [](int word) { return static_cast<std::uint8_t>(word & 0xFF); };
    const auto high = [](int word) { return static_cast<std::uint8_t>(word >> 8); };
    const Bytes stub = {0x31, low(kStreamAddress), high(kStreamAddress),             // ld sp, stream
                        0x01, 0x8D, 0x7F, 0xED, 0x49,                                // both ROMs off
                        0x21, low(kStreamAddress), high(kStreamAddress),             // ld hl, stream
                        0x11, low(destination), high(destination),                   // ld de, screen
                        0xCD, low(kZx0Z80DecoderAddress), high(kZx0Z80DecoderAddress), // call decoder
                        0x01, 0x89, 0x7F,                                            // lower ROM on ...
                        0xC3, low(kLastInstruction), high(kLastInstruction)};        // ... at the top
    const Bytes outC = {0xED, 0x49};
    CpcBench bench;
    bench.load(kStubAddress, stub);
    bench.load(kZx0Z80DecoderAddress, Zx0_Z80_Decoder());
    bench.load(kStreamAddress, stream);
    bench.load(kLastInstruction, outC);
    bench.jumpTo(kStubAddress);
    ASSERT_EQ(bench.run(400ULL * screen.size()), CpcBench::Stop::Reset);
    EXPECT_TRUE(std::equal(screen.begin(), screen.end(), bench.memory().begin() + destination));
    std::cout << GetParam().name << ": " << screen.size() << " bytes from " << stream.size()
              << ", " << static_cast<double>(bench.tStates()) / static_cast<double>(screen.size())
              << " T-states per byte\n";
}

INSTANTIATE_TEST_SUITE_P(
    , Zx0Z80Decoder,
    testing::Values(Z80Case{"StandardRandomBytes", randomScreen(TScreen::Standard, 256)},
                    Z80Case{"StandardRandomFourValues", randomScreen(TScreen::Standard, 4)},
                    Z80Case{"OverscanRandomFourValues", randomScreen(TScreen::Overscan, 4)},
                    Z80Case{"OverscanBlack", randomScreen(TScreen::Overscan, 1)},
                    Z80Case{"StandardMode1Ordered", landscapeScreen(TScreen::Standard, 1, TDither::Ordered4)},
                    Z80Case{"StandardMode0Diffused", landscapeScreen(TScreen::Standard, 0, TDither::Diffusion)},
                    Z80Case{"OverscanMode1Ordered", landscapeScreen(TScreen::Overscan, 1, TDither::Ordered4)},
                    Z80Case{"OverscanMode2Diffused", landscapeScreen(TScreen::Overscan, 2, TDither::Diffusion)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
