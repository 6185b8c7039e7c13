#include <gtest/gtest.h>

#include <vector>

#include "Dithers.h"
#include "Engine.h"
#include "InkMeasure.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

// Flat areas a little lighter than black, over black, dark and bright blue
// and white: Atkinson's diffusion shows each with some blue, about as light
// as it is, instead of flat black.
TEST(AtkinsonDither, ShowsFlatDarkAreasAsLightAsTheyAre) {
    const InkList inks = Ink_List_Of_Numbers({0, 1, 2, 26});
    for (const std::uint8_t blue : {12, 20, 28, 36}) {
        TPicture flat = filled(96, 96, blue, 0, 0), map, result;
        Local_Contrast_Map(flat, map);
        Mode_Dither(TDither::Atkinson, flat, result, map, inks, 0, 0, 0, Screen_Mode(1));
        double light = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x)
                light += Linear_From_Byte(pixel(result, x, y)[0]) / (96 * 96);
        EXPECT_NEAR(light, Linear_From_Byte(blue), 0.3 * Linear_From_Byte(blue)) << "blue " << int{blue};
    }
}

// Flat fields a little off every ink: no 32 x 32 block of the result is one
// ink alone (Atkinson's own rule left such fields flat black or flat blue).
TEST(AtkinsonDither, LeavesNoFlatPatchInAFieldOffEveryInk) {
    struct Case {
        int mode;
        std::vector<int> inks;
        std::uint8_t r, g, b;
    };
    const std::vector<Case> cases = {
        {0, {0, 1, 9, 2, 4, 6, 10, 12, 5, 7, 11, 13, 15, 14, 16, 26}, 10, 12, 30},
        {1, {0, 1, 9, 13}, 20, 25, 45},
        {2, {0, 26}, 36, 36, 36},
    };
    for (const Case& test : cases) {
        TPicture flat = filled(128, 128, test.b, test.g, test.r), map, result;
        Local_Contrast_Map(flat, map);
        Mode_Dither(TDither::Atkinson, flat, result, map, Ink_List_Of_Numbers(test.inks), 0, 0, 0,
                    Screen_Mode(test.mode));
        for (int by = 0; by < 128; by += 32)
            for (int bx = 0; bx < 128; bx += 32) {
                bool mixed = false;
                for (int y = by; y < by + 32; ++y)
                    for (int x = bx; x < bx + 32; ++x)
                        mixed = mixed || pixel(result, x, y) != pixel(result, bx, by);
                EXPECT_TRUE(mixed) << "mode " << test.mode << " block " << bx << "," << by;
            }
    }
}

} // namespace
