#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>

#include "ClassicDither.h"
#include "Dithers.h"
#include "Engine.h"
#include "InkMeasure.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

struct ModeDither {
    int mode;
    TDither dither;
};

std::string caseName(const testing::TestParamInfo<ModeDither>& info) {
    return "Mode" + std::to_string(info.param.mode) + "_" + Dither_Info(info.param.dither).name;
}

// A picture made of the mode's count of different CPC colours, each channel
// off its intensity by up to 8, and those colours as the inks.
struct CpcColourPicture {
    TPicture picture;
    InkList inks;
};

CpcColourPicture cpcColourPicture(const ScreenMode& mode, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<int> numbers(kColourCount);
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), generator);
    std::uniform_int_distribution<int> off(-8, 8);
    const auto near = [&](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::clamp(v + off(generator), 0, 255));
    };
    CpcColourPicture made{random(37, 23, seed), {}};
    for (int k = 0; k < mode.inkCount; ++k) {
        const Ink ink = Ink_From_Colour_Number(numbers[static_cast<std::size_t>(k)]);
        made.inks.push_back({near(ink.r), near(ink.g), near(ink.b)});
    }
    std::uniform_int_distribution<std::size_t> which(0, made.inks.size() - 1);
    for (int y = 0; y < made.picture.GetHeight(); ++y)
        for (int x = 0; x < made.picture.GetWidth(); ++x) {
            const Ink& ink = made.inks[which(generator)];
            setPixel(made.picture, x, y, ink.b, ink.g, ink.r);
        }
    return made;
}

class ExactTransfer : public testing::TestWithParam<ModeDither> {};

TEST_P(ExactTransfer, GivesEveryPixelItsOwnColour) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        CpcColourPicture made = cpcColourPicture(mode, seed);
        TPicture map, result;
        Local_Contrast_Map(made.picture, map);
        Mode_Dither(GetParam().dither, made.picture, result, map, made.inks, 0, 0, 0, mode);
        EXPECT_EQ(rows(result), rows(made.picture)) << "seed " << seed;
    }
}

std::vector<ModeDither> colourDithersInEveryMode() {
    std::vector<ModeDither> cases;
    for (const ScreenMode& mode : kScreenModes)
        for (const TDither dither : {TDither::None, TDither::Ordered2, TDither::Ordered4,
                                     TDither::Ordered8, TDither::Diffusion, TDither::Atkinson})
            cases.push_back({mode.number, dither});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ColourDithers, ExactTransfer,
                         testing::ValuesIn(colourDithersInEveryMode()), caseName);

// The rule modes 0 and 2 use, given mode 1's four inks, is mode 1's dither:
// sliders at their ends, inks of equal level, odd sizes.
TEST(ClassicDither, TheRuleOverFourInksIsTheModeOneDither) {
    const std::vector<std::array<int, 3>> sliders = {
        {0, 0, 0}, {200, -100, 5000}, {-550, 370, -20000}, {550, -370, 20000}};
    const std::vector<InkTable> inkTables = {
        {{{0, 0, 0}, {128, 0, 0}, {255, 128, 0}, {255, 255, 255}}},
        {{{0, 0, 254}, {254, 0, 0}, {0, 0, 0}, {0, 254, 0}}}};
    for (const InkTable& inks : inkTables)
        for (const auto& [a, b, c] : sliders) {
            TPicture source = random(33, 17, static_cast<unsigned>(a + b + c + 1000)), map,
                     expected, result;
            result.SetWidth(33);
            result.SetHeight(17);
            Local_Contrast_Map(source, map);
            CPC_Mode1_Dither(source, expected, map, inks, a, b, c);
            Classic_Level_Dither(source, result, map, Ink_List_Of(inks), a, b, c);
            EXPECT_EQ(rows(result), rows(expected)) << a << ", " << b << ", " << c;
        }
}

// Mixing happens in linear light: sRGB grey 128 is 22 % of white's light, so
// black and white mixed for it leave the area as light as the grey is. So do
// greys near black or white, which the one pair of two inks mixes as well.
class LinearLight : public testing::TestWithParam<ModeDither> {};

TEST_P(LinearLight, KeepsAFlatGreyAsLightAsItIs) {
    for (const std::uint8_t level : {40, 128, 235}) {
        TPicture grey = filled(64, 64, level, level, level), map, result;
        Local_Contrast_Map(grey, map);
        Mode_Dither(GetParam().dither, grey, result, map, {{0, 0, 0}, {255, 255, 255}}, 0, 0, 0,
                    Screen_Mode(2));
        double light = 0;
        for (const std::uint8_t byte : rows(result))
            light += Linear_From_Byte(byte);
        EXPECT_NEAR(light / (64 * 64 * 3), Linear_From_Byte(level), 0.01) << "grey " << int{level};
    }
}

INSTANTIATE_TEST_SUITE_P(MixingDithers, LinearLight,
                         testing::Values(ModeDither{2, TDither::Ordered8},
                                         ModeDither{2, TDither::Diffusion}),
                         caseName);

// A bluish white that black, dark red, orange and white cannot reach is
// shown as the nearest colour they can, a grey: no error piles up in the
// reds to flood the picture with them.
TEST(ErrorDiffusion, ShowsAColourTheInksCannotReachAsTheNearestTheyCan) {
    TPicture pale = filled(48, 48, 255, 200, 200), map, result;
    Local_Contrast_Map(pale, map);
    const InkList inks = {{0, 0, 0}, {128, 0, 0}, {255, 128, 0}, {255, 255, 255}};
    Mode_Dither(TDither::Diffusion, pale, result, map, inks, 0, 0, 0, Screen_Mode(1));
    double light[3] = {0, 0, 0};
    const Bytes bytes = rows(result);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        light[i % 3] += Linear_From_Byte(bytes[i]) / (48 * 48);
    EXPECT_NEAR(light[2], light[0], 0.02) << "red against blue";
    EXPECT_NEAR(light[1], light[0], 0.02) << "green against blue";
}

TEST(ModeDither, RefusesTheWrongCountOfInksASliderOutOfRangeAndAMapOfAnotherSize) {
    TPicture source = random(8, 8, 3), map, smallMap = random(4, 4, 4), result;
    Local_Contrast_Map(source, map);
    const InkList two = {{0, 0, 0}, {255, 255, 255}};
    EXPECT_THROW(Mode_Dither(TDither::None, source, result, map, two, 0, 0, 0, Screen_Mode(1)),
                 Exception);
    EXPECT_THROW(Mode_Dither(TDither::None, source, result, map, two, 0, 371, 0, Screen_Mode(2)),
                 Exception);
    EXPECT_THROW(
        Mode_Dither(TDither::Classic, source, result, smallMap, two, 0, 0, 1000, Screen_Mode(2)),
        Exception);
    EXPECT_NO_THROW(
        Mode_Dither(TDither::Diffusion, source, result, smallMap, two, 0, 0, 0, Screen_Mode(2)));
}

// The window renders the rows in view first and the rest later: a run cut
// into parts gives the bytes of one whole call, in every mode and dither; a
// diffusion's parts come in order and a jump is refused.
TEST(DitherRun, RowsInPartsGiveTheBytesOfOneCall) {
    TPicture source = random(41, 37, 5), map;
    Local_Contrast_Map(source, map);
    for (const ScreenMode& mode : kScreenModes)
        for (const DitherInfo& info : kDithers) {
            const InkList inks = Start_Inks(mode);
            TPicture whole, parted;
            Mode_Dither(info.dither, source, whole, map, inks, 40, -30, -7000, mode);
            const std::unique_ptr<TDitherRun> run =
                Start_Mode_Dither(info.dither, source, parted, map, inks, 40, -30, -7000, mode);
            if (run->InOrder()) {
                EXPECT_THROW(run->Rows(source, parted, map, 5, 9), Exception) << info.name;
                for (const auto& [first, last] : {std::pair{0, 6}, {6, 6}, {6, 29}, {29, 37}})
                    run->Rows(source, parted, map, first, last);
            } else {
                for (const auto& [first, last] : {std::pair{20, 37}, {0, 7}, {7, 20}})
                    run->Rows(source, parted, map, first, last);
            }
            EXPECT_EQ(rows(parted), rows(whole)) << "mode " << mode.number << ", " << info.name;
        }
}

// A search prepares the source once for every set of inks: a run given that
// gives the bytes of one without it, and one prepared for other sliders or
// another picture is not read.
TEST(DitherRun, PreparedSourceGivesTheBytesOfAFreshRun) {
    TPicture source = random(41, 37, 5), other = random(37, 41, 6), twin = random(41, 37, 7), map, otherMap,
             twinMap;
    Local_Contrast_Map(source, map);
    Local_Contrast_Map(other, otherMap);
    Local_Contrast_Map(twin, twinMap);
    struct Prepared {
        TPicture* picture;
        const TPicture* map;
        int a, b, c;
    };
    for (const ScreenMode& mode : kScreenModes)
        for (const DitherInfo& info : kDithers)
            for (const Prepared& from : {Prepared{&source, &map, 40, -30, -7000},
                                         Prepared{&source, &map, 0, 0, 0},
                                         Prepared{&other, &otherMap, 40, -30, -7000},
                                         Prepared{&twin, &twinMap, 40, -30, -7000}}) {
                const InkList inks = Start_Inks(mode);
                TPicture fresh, prepared;
                Mode_Dither(info.dither, source, fresh, map, inks, 40, -30, -7000, mode);
                Mode_Dither(info.dither, source, prepared, map, inks, 40, -30, -7000, mode,
                            Prepare_Mode_Dither(info.dither, *from.picture, *from.map, from.a,
                                                from.b, from.c));
                EXPECT_EQ(rows(prepared), rows(fresh))
                    << "mode " << mode.number << ", " << info.name << ", prepared with a = " << from.a;
            }
}

} // namespace
