#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Engine.h"
#include "ModeInkChoice.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

struct PlainCase {
    int mode;
    TDither dither;
};

class PlainColours : public testing::TestWithParam<PlainCase> {};

// A white patch on a dark, many-coloured field keeps a white ink, whichever
// way the search goes (in the modes with inks to spare for it).
TEST_P(PlainColours, AWhitePatchOnADarkFieldKeepsAWhiteInk) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    std::mt19937 generator(3);
    std::uniform_int_distribution<int> dark(0, 90);
    TPicture picture = filled(mode.width / 4, mode.height / 4, 0, 0, 0), map;
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const bool patch = x < picture.GetWidth() / 4 && y < picture.GetHeight() / 4;
            setPixel(picture, x, y, patch ? 250 : static_cast<std::uint8_t>(dark(generator) + 40),
                     patch ? 250 : static_cast<std::uint8_t>(dark(generator) / 2),
                     patch ? 250 : static_cast<std::uint8_t>(dark(generator)));
        }
    Local_Contrast_Map(picture, map);
    const Mode_Ink_Choice choice =
        Choose_Mode_Inks(picture, map, std::vector<int>(static_cast<std::size_t>(mode.inkCount), kChooseInk),
                         GetParam().dither, mode, 0, 0, 0, {2, {}, nullptr});
    EXPECT_NE(std::find(choice.numbers.begin(), choice.numbers.end(), 26), choice.numbers.end());
}

std::vector<PlainCase> plainCases() {
    std::vector<PlainCase> cases;
    for (const int mode : {0, 1})
        for (const TDither dither : {TDither::Ordered4, TDither::Ordered8, TDither::Diffusion, TDither::Atkinson})
            cases.push_back({mode, dither});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SearchedDithers, PlainColours, testing::ValuesIn(plainCases()),
                         [](const auto& info) {
                             return "Mode" + std::to_string(info.param.mode) + "_" +
                                    Dither_Info(info.param.dither).name;
                         });

} // namespace
