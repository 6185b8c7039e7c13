#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Engine.h"
#include "ModeInkChoice.h"
#include "PerceptualMeasure.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

struct PlainCase {
    int mode;
    TDither dither;
};

class PlainColours : public testing::TestWithParam<PlainCase> {};

// A white patch on a dark, many-coloured field, a quarter of the screen each way.
TPicture whitePatchOnDarkField(const ScreenMode& mode) {
    std::mt19937 generator(3);
    std::uniform_int_distribution<int> dark(0, 90);
    TPicture picture = filled(mode.width / 4, mode.height / 4, 0, 0, 0);
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const bool patch = x < picture.GetWidth() / 4 && y < picture.GetHeight() / 4;
            setPixel(picture, x, y, patch ? 250 : static_cast<std::uint8_t>(dark(generator) + 40),
                     patch ? 250 : static_cast<std::uint8_t>(dark(generator) / 2),
                     patch ? 250 : static_cast<std::uint8_t>(dark(generator)));
        }
    return picture;
}

std::vector<int> automaticInks(TPicture& picture, const TPicture& map, TDither dither,
                               const ScreenMode& mode, Ink_Search_Way way = Ink_Search_Way::Automatic) {
    return Choose_Mode_Inks(picture, map, std::vector<int>(static_cast<std::size_t>(mode.inkCount), kChooseInk),
                            dither, mode, 0, 0, 0, {2, {}, nullptr}, way)
        .numbers;
}

// The plain colour is kept whichever way the search goes (in the modes with
// inks to spare for it).
TEST_P(PlainColours, AWhitePatchOnADarkFieldKeepsAWhiteInk) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    TPicture picture = whitePatchOnDarkField(mode), map;
    Local_Contrast_Map(picture, map);
    const std::vector<int> numbers = automaticInks(picture, map, GetParam().dither, mode);
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), 26), numbers.end());
}

// The set chosen for a dither is judged no worse by that dither than any
// candidate the choice is held to that another search picks: the classic
// dither's own set and, for the ordered dithers, the diffusion's (the picture
// is small enough for its search to see it whole).
TEST_P(PlainColours, IsNoWorseThanTheCandidateSets) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    TPicture picture = whitePatchOnDarkField(mode), map;
    Local_Contrast_Map(picture, map);
    const std::vector<int> chosen = automaticInks(picture, map, GetParam().dither, mode);
    const PerceptualReference reference(picture);
    const auto rank = [&](const std::vector<int>& numbers) {
        InkList inks;
        for (int n : numbers)
            inks.push_back(Ink_From_Colour_Number(n));
        TPicture result;
        Mode_Dither(GetParam().dither, picture, result, map, inks, 0, 0, 0, mode);
        return reference.score(result).rank();
    };
    const bool ordered = GetParam().dither == TDither::Ordered2 || GetParam().dither == TDither::Ordered4 ||
                         GetParam().dither == TDither::Ordered8;
    const struct {
        TDither dither;
        Ink_Search_Way way;
        bool held;
    } candidates[] = {
        {TDither::Classic, mode.number == 1 ? Ink_Search_Way::Automatic : Ink_Search_Way::Swaps, true},
        {TDither::Diffusion, mode.number == 1 ? Ink_Search_Way::EverySet : Ink_Search_Way::Swaps, ordered},
    };
    for (const auto& candidate : candidates) {
        if (!candidate.held)
            continue;
        EXPECT_LE(rank(chosen),
                  rank(automaticInks(picture, map, candidate.dither, mode, candidate.way)) * (1 + 1e-9))
            << Dither_Info(candidate.dither).name;
    }
}

std::vector<PlainCase> plainCases() {
    std::vector<PlainCase> cases;
    for (const int mode : {0, 1})
        for (const TDither dither : {TDither::Ordered2, TDither::Ordered4, TDither::Ordered8,
                                     TDither::Diffusion, TDither::Atkinson, TDither::None})
            cases.push_back({mode, dither});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SearchedDithers, PlainColours, testing::ValuesIn(plainCases()),
                         [](const auto& info) {
                             return "Mode" + std::to_string(info.param.mode) + "_" +
                                    Dither_Info(info.param.dither).name;
                         });

} // namespace
