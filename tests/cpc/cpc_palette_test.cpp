#include <gtest/gtest.h>

#include <set>
#include <string>

#include "CpcPalette.h"
#include "SysUtils.h"

namespace {

class PaletteRow : public ::testing::TestWithParam<Palette> {};

// Every index is a different ink, read back as itself exactly and as its own
// nearest colour, and its text reads back as it.
TEST_P(PaletteRow, EveryColourIsItsOwnInkAndText) {
    const Palette& palette = GetParam();
    std::set<std::tuple<int, int, int>> seen;
    for (int colour = 0; colour < palette.colourCount; ++colour) {
        const Ink ink = Palette_Ink(palette, colour);
        seen.insert({ink.r, ink.g, ink.b});
        for (const std::uint8_t v : {ink.r, ink.g, ink.b})
            ASSERT_EQ(v % palette.levelStep, 0) << colour;
        ASSERT_EQ(Palette_Colour_Of(palette, ink), colour);
        ASSERT_EQ(Nearest_Palette_Colour(palette, ink), colour);
        ASSERT_EQ(Palette_Colour_From_Text(palette, Palette_Colour_Text(palette, colour)), colour);
    }
    EXPECT_EQ(static_cast<int>(seen.size()), palette.colourCount);
    EXPECT_EQ(palette.colourCount, palette.levels * palette.levels * palette.levels);
    EXPECT_EQ(Palette_From_Option(palette.name), palette.id);
    EXPECT_THROW(Palette_Ink(palette, palette.colourCount), Exception);
}

INSTANTIATE_TEST_SUITE_P(, PaletteRow, ::testing::ValuesIn(kPalettes),
                         [](const auto& info) { return std::string(info.param.name); });

struct TextCase {
    TPalette palette;
    const char* text;
    int colour; // -1: refused
};

class PaletteText : public ::testing::TestWithParam<TextCase> {};

TEST_P(PaletteText, ReadsTheFormOfItsPalette) {
    const TextCase& c = GetParam();
    const Palette& palette = Palette_Of(c.palette);
    if (c.colour < 0)
        EXPECT_THROW(Palette_Colour_From_Text(palette, c.text), Exception);
    else
        EXPECT_EQ(Palette_Colour_From_Text(palette, c.text), c.colour);
}

INSTANTIATE_TEST_SUITE_P(, PaletteText,
                         ::testing::Values(TextCase{TPalette::Plus, "F80", 0xF80}, TextCase{TPalette::Plus, "0af", 0x0AF},
                                           TextCase{TPalette::Plus, "G00", -1}, TextCase{TPalette::Plus, "27", -1},
                                           TextCase{TPalette::Plus, "0F80", -1}, TextCase{TPalette::Plus, "", -1},
                                           TextCase{TPalette::Cpc, "026", 26}, TextCase{TPalette::Cpc, "27", -1},
                                           TextCase{TPalette::Cpc, "F80", -1}, TextCase{TPalette::Cpc, "-1", -1}));

// Any ink snaps to the palette colour nearest it channel by channel.
TEST(PaletteSnap, TakesTheNearestLevel) {
    const Palette& plus = Palette_Of(TPalette::Plus);
    EXPECT_EQ(Snap_To_Palette(plus, {8, 9, 250}), (Ink{0, 17, 255}));
    EXPECT_EQ(Palette_Colour_Of(plus, {8, 17, 255}), -1);
    const Palette& cpc = Palette_Of(TPalette::Cpc);
    EXPECT_EQ(Snap_To_Palette(cpc, {60, 70, 200}), (Ink{0, 127, 254}));
    EXPECT_EQ(Palette_Colour_Of(cpc, {128, 0, 255}), Palette_Colour_Of(cpc, {127, 0, 254}));
}

} // namespace
