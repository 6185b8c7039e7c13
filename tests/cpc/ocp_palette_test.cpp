#include <gtest/gtest.h>

#include "OcpPalette.h"

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
