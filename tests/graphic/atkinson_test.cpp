#include <gtest/gtest.h>

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

} // namespace
