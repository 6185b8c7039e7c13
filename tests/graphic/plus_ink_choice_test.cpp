#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "CpcPalette.h"
#include "Dithers.h"
#include "Engine.h"
#include "PerceptualMeasure.h"
#include "PictureBuilder.h"
#include "PlusInkChoice.h"

using namespace testing_pictures;

namespace {

const Palette& plus() { return Palette_Of(TPalette::Plus); }

struct PlusCase {
    int mode;
    TDither dither;
};

std::string caseName(const testing::TestParamInfo<PlusCase>& info) {
    return "Mode" + std::to_string(info.param.mode) + "_" + Dither_Info(info.param.dither).name;
}

class PlusArt : public testing::TestWithParam<PlusCase> {};

// Art drawn in the mode's count of 12-bit colours, in 4 x 4 blocks, each
// channel off its level by up to 8, comes back pixel for pixel as those
// colours, with them as inks or with automatic ones.
TEST_P(PlusArt, ComesBackExactly) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    std::mt19937 generator(static_cast<unsigned>(mode.number + 7));
    std::uniform_int_distribution<int> anyColour(0, plus().colourCount - 1), offset(-8, 8);
    std::vector<int> colours;
    while (colours.size() < static_cast<std::size_t>(mode.inkCount))
        if (const int colour = anyColour(generator); !std::count(colours.begin(), colours.end(), colour))
            colours.push_back(colour);
    TPicture art = filled(96, 64, 0, 0, 0), map, result;
    std::vector<int> drawn;
    for (int block = 0; block < 24 * 16; ++block)
        drawn.push_back(colours[static_cast<std::size_t>(generator()) % colours.size()]);
    for (int y = 0; y < art.GetHeight(); ++y)
        for (int x = 0; x < art.GetWidth(); ++x) {
            const Ink ink = Palette_Ink(plus(), drawn[static_cast<std::size_t>(y / 4 * 24 + x / 4)]);
            const auto off = [&](std::uint8_t v) { return static_cast<std::uint8_t>(std::clamp(v + offset(generator), 0, 255)); };
            setPixel(art, x, y, off(ink.b), off(ink.g), off(ink.r));
        }
    for (const bool automatic : {false, true}) {
        std::vector<int> inks = colours;
        if (automatic)
            inks = Choose_Plus_Inks(art, map, std::vector<int>(colours.size(), kChooseInk), GetParam().dither, mode, 0,
                                    0, 0, {2, {}, nullptr})
                       .numbers;
        Mode_Dither(GetParam().dither, art, result, map, Palette_Inks(plus(), inks), 0, 0, 0, mode);
        int wrong = 0;
        for (int y = 0; y < art.GetHeight(); ++y)
            for (int x = 0; x < art.GetWidth(); ++x) {
                const Bytes a = pixel(art, x, y), r = pixel(result, x, y);
                wrong += Nearest_Palette_Colour(plus(), {a[2], a[1], a[0]}) != Palette_Colour_Of(plus(), {r[2], r[1], r[0]});
            }
        EXPECT_EQ(wrong, 0) << (automatic ? "automatic inks" : "inks given");
    }
}

std::vector<PlusCase> mixingDithersInEveryMode() {
    std::vector<PlusCase> cases;
    for (const ScreenMode& mode : kScreenModes)
        for (const DitherInfo& info : kDithers)
            if (info.dither != TDither::Classic)
                cases.push_back({mode.number, info.dither});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryDitherButClassic, PlusArt, testing::ValuesIn(mixingDithersInEveryMode()), caseName);

constexpr double kBestShare = 0.005;

class PlusSearchAgreement : public testing::TestWithParam<PlusCase> {};

// A small picture of five colours: the mode's other inks kept, the search's
// one free ink ranks among the best kBestShare of every free CPC+ colour
// judged the same way, and it is the same on one thread and on three.
TEST_P(PlusSearchAgreement, FindsTheBestOfEveryColourForOneFreeInk) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    const std::vector<Ink> areas = {{0, 0, 0}, {250, 250, 250}, {200, 40, 30}, {90, 140, 200}, {60, 170, 70}};
    TPicture picture = filled(40, 16, 0, 0, 0), map, result;
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const Ink& ink = areas[static_cast<std::size_t>((x / 8 + y / 8) % 5)];
            setPixel(picture, x, y, ink.b, ink.g, ink.r);
        }
    std::vector<int> kept = {0x000, 0xFFF, 0xC21, 0x111};
    kept.resize(static_cast<std::size_t>(mode.inkCount));
    kept[1] = kChooseInk;
    const PerceptualReference reference(picture);
    const auto rank = [&](const std::vector<int>& inks) {
        Mode_Dither(GetParam().dither, picture, result, map, Palette_Inks(plus(), inks), 0, 0, 0, mode);
        return reference.score(result).rank();
    };
    std::vector<double> every;
    for (int colour = 0; colour < plus().colourCount; ++colour)
        if (!std::count(kept.begin(), kept.end(), colour)) {
            std::vector<int> inks = kept;
            inks[1] = colour;
            every.push_back(rank(inks));
        }
    const Mode_Ink_Choice one = Choose_Plus_Inks(picture, map, kept, GetParam().dither, mode, 0, 0, 0, {1, {}, nullptr});
    const Mode_Ink_Choice three = Choose_Plus_Inks(picture, map, kept, GetParam().dither, mode, 0, 0, 0, {3, {}, nullptr});
    EXPECT_EQ(one.numbers, three.numbers);
    const double found = rank(one.numbers);
    const auto better = std::count_if(every.begin(), every.end(), [&](double r) { return r < found - 1e-12; });
    EXPECT_LE(static_cast<double>(better), kBestShare * static_cast<double>(every.size()))
        << "rank " << found << ", best " << *std::min_element(every.begin(), every.end());
}

INSTANTIATE_TEST_SUITE_P(SmallCases, PlusSearchAgreement,
                         testing::Values(PlusCase{1, TDither::Diffusion}, PlusCase{1, TDither::Atkinson},
                                         PlusCase{2, TDither::Diffusion},
                                         PlusCase{2, TDither::Ordered4}),
                         caseName);

// Blocks of 8 x 8 pixels in random colours over a gradient: the kind of
// picture the clustering alone served worse than the CPC search in mode 1.
TPicture gradedBlocks(unsigned seed) {
    const TPicture colours = random(8, 5, seed);
    TPicture picture = filled(64, 40, 0, 0, 0);
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const Bytes p = pixel(colours, x / 8, y / 8);
            setPixel(picture, x, y, static_cast<std::uint8_t>(p[0] + 2 * x), static_cast<std::uint8_t>(p[1] + 2 * y),
                     static_cast<std::uint8_t>(p[2] + x + y));
        }
    return picture;
}

class PlusAgainstCpc : public testing::TestWithParam<PlusCase> {};

// Every 27-colour set is one the CPC+ can show, so the CPC+ choice is never
// worse under the measure than the CPC search's choice, each colour snapped
// to its nearest 12-bit one.
TEST_P(PlusAgainstCpc, IsNeverWorseThanTheCpcChoiceSnapped) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    const std::vector<int> all(static_cast<std::size_t>(mode.inkCount), kChooseInk);
    for (const unsigned seed : {3u, 6u}) {
        TPicture picture = gradedBlocks(seed), map, result;
        const PerceptualReference reference(picture);
        const auto rank = [&](const std::vector<int>& inks) {
            Mode_Dither(GetParam().dither, picture, result, map, Palette_Inks(plus(), inks), 0, 0, 0, mode);
            return reference.score(result).rank();
        };
        std::vector<int> cpc =
            Choose_Mode_Inks(picture, map, all, GetParam().dither, mode, 0, 0, 0, {1, {}, nullptr}).numbers;
        for (int& colour : cpc)
            colour = Nearest_Palette_Colour(plus(), Palette_Ink(Palette_Of(TPalette::Cpc), colour));
        const Mode_Ink_Choice choice = Choose_Plus_Inks(picture, map, all, GetParam().dither, mode, 0, 0, 0, {1, {}, nullptr});
        EXPECT_LE(rank(choice.numbers), rank(cpc) + 1e-12) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(SmallPictures, PlusAgainstCpc,
                         testing::Values(PlusCase{1, TDither::Ordered4}, PlusCase{1, TDither::Diffusion},
                                         PlusCase{2, TDither::Ordered4}),
                         caseName);

} // namespace
