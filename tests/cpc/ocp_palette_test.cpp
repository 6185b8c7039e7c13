#include <gtest/gtest.h>

#include <vector>

#include "AmsdosHeader.h"
#include "OcpPalette.h"
#include "SysUtils.h"

namespace {

struct PaletteCase {
    const char* name;
    InkTable inks;
    std::array<std::uint8_t, 4> hardware; // the inks' gate array bytes
};

InkTable fromNumbers(int a, int b, int c, int d) {
    return {Ink_From_Colour_Number(a), Ink_From_Colour_Number(b), Ink_From_Colour_Number(c), Ink_From_Colour_Number(d)};
}

class OcpPaletteBytes : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(OcpPaletteBytes, PensHoldTheInksAndTheRestInk0) {
    const PaletteCase& c = GetParam();
    std::array<std::uint8_t, kOcpPaletteBytes> expected{};
    expected[0] = 1; // mode 1; animation off and no delay are 0
    for (std::size_t pen = 0; pen < 17; ++pen) // 16 pens, then the border
        for (std::size_t frame = 0; frame < 12; ++frame)
            expected[3 + pen * 12 + frame] = c.hardware[pen < 4 ? pen : 0];
    EXPECT_EQ(Ocp_Palette(c.inks), expected);
}

INSTANTIATE_TEST_SUITE_P(
    , OcpPaletteBytes,
    ::testing::Values(PaletteCase{"DefaultInks", {{{0, 0, 0}, {128, 0, 0}, {255, 128, 0}, {255, 255, 255}}},
                                  {0x54, 0x5C, 0x4E, 0x4B}},
                      PaletteCase{"ChosenInks", fromNumbers(13, 1, 18, 24), {0x40, 0x44, 0x52, 0x4A}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

struct ReadCase {
    const char* name;
    InkTable inks;
    bool header;
};

class OcpPaletteRoundTrip : public ::testing::TestWithParam<ReadCase> {};

// What the writer makes, the reader gives back: mode 1, the four inks, ink 0
// for the other pens and the border.
TEST_P(OcpPaletteRoundTrip, GivesBackWhatTheWriterWrote) {
    const ReadCase& c = GetParam();
    const auto palette = Ocp_Palette(c.inks);
    std::vector<std::uint8_t> bytes(palette.begin(), palette.end());
    if (c.header)
        bytes = With_Amsdos_Header({"PIC", "PAL", kOcpPaletteLoadAddress}, palette);
    const OcpPaletteContents read = Ocp_Palette_Contents(bytes);
    EXPECT_EQ(read.mode, 1);
    for (std::size_t pen = 0; pen < 16; ++pen)
        EXPECT_EQ(read.pens[pen], Colour_Number_Of_Ink(c.inks[pen < 4 ? pen : 0])) << "pen " << pen;
    EXPECT_EQ(read.border, Colour_Number_Of_Ink(c.inks[0]));
}

INSTANTIATE_TEST_SUITE_P(, OcpPaletteRoundTrip,
                         ::testing::Values(ReadCase{"Bare", fromNumbers(13, 1, 18, 24), false},
                                           ReadCase{"WithHeader", fromNumbers(0, 26, 7, 25), true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Colour bytes without their command bits and the five repeated hardware
// colours read as the colours they show; other modes are read as they are.
TEST(OcpPaletteRead, TakesEveryHardwareColourAndMode) {
    std::array<std::uint8_t, kOcpPaletteBytes> bytes = Ocp_Palette(fromNumbers(0, 0, 0, 0));
    bytes[0] = 2;
    const std::uint8_t pens[] = {0x14, 0x41, 0x48, 0x49, 0x50, 0x51};
    const int numbers[] = {0, 13, 7, 25, 1, 19};
    for (std::size_t pen = 0; pen < std::size(pens); ++pen)
        bytes[3 + pen * 12] = pens[pen];
    const OcpPaletteContents read = Ocp_Palette_Contents(bytes);
    EXPECT_EQ(read.mode, 2);
    for (std::size_t pen = 0; pen < std::size(pens); ++pen)
        EXPECT_EQ(read.pens[pen], numbers[pen]) << "pen " << pen;
}

// Every truncation, a byte too many, a bad mode, a bad colour byte: an error
// naming what is wrong, never a read past the end.
TEST(OcpPaletteRead, RefusesWhatIsNotAPalette) {
    const auto palette = Ocp_Palette(fromNumbers(0, 1, 2, 3));
    const std::vector<std::uint8_t> withHeader = With_Amsdos_Header({"PIC", "PAL", kOcpPaletteLoadAddress}, palette);
    for (std::size_t length = 0; length < withHeader.size(); ++length)
        if (length != kOcpPaletteBytes) {
            EXPECT_THROW(Ocp_Palette_Contents(std::span(withHeader).first(length)), Exception) << length;
        }
    std::vector<std::uint8_t> longer(palette.begin(), palette.end());
    longer.push_back(0);
    EXPECT_THROW(Ocp_Palette_Contents(longer), Exception);
    auto badMode = palette;
    badMode[0] = 3;
    EXPECT_THROW(Ocp_Palette_Contents(badMode), Exception);
    auto badColour = palette;
    badColour[195] = 0x80;
    EXPECT_THROW(Ocp_Palette_Contents(badColour), Exception);
}

} // namespace
