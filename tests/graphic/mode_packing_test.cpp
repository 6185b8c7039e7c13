#include <gtest/gtest.h>

#include "Engine.h"
#include "ModePacking.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

// Every colour number's ink, in order: ink k has colour number k.
InkList inksOf(const ScreenMode& mode) {
    InkList inks;
    for (int k = 0; k < mode.inkCount; ++k)
        inks.push_back(Ink_From_Colour_Number(k));
    return inks;
}

struct PackCase {
    const char* name;
    int mode;
    std::vector<int> pixels; // ink numbers of one row, one byte's worth and one pixel more
    Bytes bytes;             // the row's bytes, worked out from the bit table by hand
};

class ModePacking : public testing::TestWithParam<PackCase> {};

TEST_P(ModePacking, PlacesEachPixelsInkBitsAndFillsTheLastByteWithInk0) {
    const PackCase& c = GetParam();
    const ScreenMode& mode = Screen_Mode(c.mode);
    const InkList inks = inksOf(mode);
    TPicture row = filled(static_cast<int>(c.pixels.size()), 2, 0, 0, 0);
    for (std::size_t x = 0; x < c.pixels.size(); ++x) {
        const Ink& ink = inks[static_cast<std::size_t>(c.pixels[x])];
        setPixel(row, static_cast<int>(x), 1, ink.b, ink.g, ink.r);
    }
    Bytes expected(c.bytes.size(), 0); // row 0 is all ink 0
    expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(Pack_Mode_Rows(row, inks, mode), expected);
}

// Mode 0, bit 7 first: p0.0 p1.0 p0.2 p1.2 p0.1 p1.1 p0.3 p1.3; ink 5 = 0101,
// ink 10 = 1010, ink 15 = 1111. Mode 1: p0.0 p1.0 p2.0 p3.0 p0.1 p1.1 p2.1 p3.1.
INSTANTIATE_TEST_SUITE_P(
    EveryMode, ModePacking,
    testing::Values(PackCase{"Mode0", 0, {5, 10, 15}, {0xA5, 0xAA}},
                    PackCase{"Mode1", 1, {1, 2, 3, 0, 3}, {0xA6, 0x88}},
                    PackCase{"Mode2", 2, {1, 0, 0, 1, 1, 0, 1, 0, 1}, {0x9A, 0x80}}),
    [](const testing::TestParamInfo<PackCase>& info) { return info.param.name; });

TEST(ModePacking, RefusesAPixelOfNoInkAndTakesTheFirstOfTwoEqualInks) {
    const ScreenMode& mode = Screen_Mode(2);
    TPicture picture = filled(3, 1, 0, 0, 0);
    EXPECT_EQ(Pack_Mode_Rows(picture, {{1, 1, 1}, {0, 0, 0}, {0, 0, 0}, {2, 2, 2}}, Screen_Mode(1)),
              Bytes{0xE0});
    setPixel(picture, 2, 0, 1, 2, 3);
    EXPECT_THROW(Pack_Mode_Rows(picture, {{0, 0, 0}, {255, 255, 255}}, mode), Exception);
    EXPECT_THROW(Pack_Mode_Rows(picture, {{0, 0, 0}, {255, 255, 255}, {3, 2, 1}}, mode), Exception)
        << "more inks than the mode has";
}

// The general screen file packs by colour where mode 1's packs by level: the
// same bytes for inks of different levels.
TEST(ModeScreenFile, IsModeOnesScreenFileForInksOfDifferentLevels) {
    InkTable inks;
    Reset_Ink_Table(inks);
    TPicture source = random(kScreenWidth, kScreenHeight, 7), map, result;
    Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, result, map, inks, 0, 0, 0);
    EXPECT_EQ(Mode_Screen_File_Bytes(result, Ink_List_Of(inks), Screen_Mode(1)),
              Screen_File_Bytes(result, inks));
    EXPECT_THROW(Mode_Screen_File_Bytes(result, Ink_List_Of(inks), Screen_Mode(0)), Exception);
}

} // namespace
