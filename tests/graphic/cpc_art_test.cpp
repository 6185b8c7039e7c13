#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <set>

#include "CpcLevels.h"
#include "Dithers.h"
#include "Engine.h"
#include "ModeInkChoice.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

// The colour number a pixel shows, read through the CPC intensities.
int colourNumberAt(const TPicture& picture, int x, int y) {
    const Bytes p = pixel(picture, x, y);
    return 9 * Cpc_Intensity(p[1]) + 3 * Cpc_Intensity(p[2]) + Cpc_Intensity(p[0]);
}

struct ArtCase {
    int mode;
    TDither dither;
};

std::string artName(const testing::TestParamInfo<ArtCase>& info) {
    return "Mode" + std::to_string(info.param.mode) + "_" + Dither_Info(info.param.dither).name;
}

class CpcArt : public testing::TestWithParam<ArtCase> {};

// Art drawn with the mode's count of CPC colours, in 4 x 4 blocks, comes back
// pixel for pixel whether a paint program wrote the middle intensity as 128
// or as 127, with its own colours as inks or with automatic ones.
TEST_P(CpcArt, ComesBackExactlyAtEitherLevelEncoding) {
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    std::mt19937 generator(static_cast<unsigned>(mode.number + 5));
    std::vector<int> numbers(kColourCount);
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), generator);
    numbers.resize(static_cast<std::size_t>(mode.inkCount));
    std::uniform_int_distribution<std::size_t> which(0, numbers.size() - 1);
    std::vector<int> drawn(40 * 24);
    for (int& n : drawn)
        n = numbers[which(generator)];
    for (const std::array<std::uint8_t, 3> levels : {std::array<std::uint8_t, 3>{0, 128, 255}, {0, 127, 254}})
        for (const bool automatic : {false, true}) {
            const auto level = [&](int intensity) { return levels[static_cast<std::size_t>(intensity)]; };
            TPicture art = filled(160, 96, 0, 0, 0), map, result;
            for (int y = 0; y < art.GetHeight(); ++y)
                for (int x = 0; x < art.GetWidth(); ++x) {
                    const int n = drawn[static_cast<std::size_t>(y / 4 * 40 + x / 4)];
                    setPixel(art, x, y, level(n % 3), level(n / 9), level(n / 3 % 3));
                }
            Local_Contrast_Map(art, map);
            std::vector<int> inks = numbers;
            if (automatic)
                inks = Choose_Mode_Inks(art, map, std::vector<int>(numbers.size(), kChooseInk),
                                        GetParam().dither, mode, 0, 0, 0, {2, {}, nullptr})
                           .numbers;
            Mode_Dither(GetParam().dither, art, result, map, Ink_List_Of_Numbers(inks), 0, 0, 0, mode);
            int wrong = 0;
            for (int y = 0; y < art.GetHeight(); ++y)
                for (int x = 0; x < art.GetWidth(); ++x)
                    wrong += colourNumberAt(result, x, y) != colourNumberAt(art, x, y);
            EXPECT_EQ(wrong, 0) << "middle level " << int{levels[1]} << (automatic ? ", automatic inks" : "");
        }
}

std::vector<ArtCase> mixingDithersInEveryMode() {
    std::vector<ArtCase> cases;
    for (const ScreenMode& mode : kScreenModes)
        for (const DitherInfo& info : kDithers)
            if (info.dither != TDither::Classic)
                cases.push_back({mode.number, info.dither});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryDitherButClassic, CpcArt, testing::ValuesIn(mixingDithersInEveryMode()),
                         artName);

class NeighbouringInks : public testing::TestWithParam<TDither> {};

// A ramp from ink A to ink C over inks A, B, C that lie on one line of
// colours: no column mixes A with C, and the ramp still mixes A with B and B
// with C on the way.
TEST_P(NeighbouringInks, DrawARampFromNeighbouringPairsOnly) {
    // Colour numbers: greys, reds, blues, greens, magentas.
    const std::vector<std::array<int, 3>> lines = {{0, 13, 26}, {0, 3, 6}, {0, 1, 2}, {0, 9, 18}, {0, 4, 8}};
    for (const auto& line : lines) {
        const Ink from = Ink_From_Colour_Number(line[0]), to = Ink_From_Colour_Number(line[2]);
        TPicture ramp = filled(256, 8, 0, 0, 0), map, result;
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 8; ++y) {
                const auto at = [&](int a, int c) { return static_cast<std::uint8_t>(a + (c - a) * x / 255); };
                setPixel(ramp, x, y, at(from.b, to.b), at(from.g, to.g), at(from.r, to.r));
            }
        Local_Contrast_Map(ramp, map);
        Mode_Dither(GetParam(), ramp, result, map, Ink_List_Of_Numbers({line[0], line[1], line[2], line[2]}), 0,
                    0, 0, Screen_Mode(1));
        std::set<std::set<int>> pairs;
        for (int x = 0; x < 256; ++x) {
            std::set<int> used;
            for (int y = 0; y < 8; ++y)
                used.insert(colourNumberAt(result, x, y));
            EXPECT_FALSE(used.count(line[0]) && used.count(line[2])) << "colours " << line[0] << "-" << line[2]
                                                                       << ", column " << x;
            pairs.insert(used);
        }
        EXPECT_TRUE(pairs.count({line[0], line[1]}) && pairs.count({line[1], line[2]}))
            << "colours " << line[0] << "-" << line[1] << "-" << line[2];
    }
}

INSTANTIATE_TEST_SUITE_P(OrderedDithers, NeighbouringInks,
                         testing::Values(TDither::Ordered2, TDither::Ordered4, TDither::Ordered8),
                         [](const auto& info) { return std::string(Dither_Info(info.param).name); });

} // namespace
