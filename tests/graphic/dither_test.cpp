#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "Engine.h"
#include "InkChoice.h"
#include "SysUtils.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

const InkTable kDefaultInks = {{{0, 0, 0}, {128, 0, 0}, {255, 128, 0}, {255, 255, 255}}};

// The conversion written out step by step, as plainly as it reads: the check
// for the table-driven engine.
void referenceDither(const TPicture& source, TPicture& result, const TPicture& map, const InkTable& inks, int a,
                     int b, int c) {
    struct Entry {
        std::uint8_t r, g, b;
        int level;
    };
    std::array<Entry, 4> list;
    for (int i = 0; i < 4; ++i) {
        const Ink& ink = inks[static_cast<std::size_t>(i)];
        const int l = ink.r + ink.g + ink.b;
        int l1;
        if (a > 0)
            l1 = (l - a) * 765 / (765 - a);
        else
            l1 = l * 765 / (765 + a);
        const int l2 = b + (l1 + b) * (765 - 2 * b) / (765 + 2 * b);
        list[static_cast<std::size_t>(i)] = {ink.r, ink.g, ink.b, l2};
    }
    for (int pass = 0; pass < 4; ++pass)
        for (int k = 0; k < 3; ++k)
            if (list[static_cast<std::size_t>(k)].level > list[static_cast<std::size_t>(k + 1)].level)
                std::swap(list[static_cast<std::size_t>(k)], list[static_cast<std::size_t>(k + 1)]);
    const int threshold[2][2] = {{1, 4}, {3, 2}};
    result.SetWidth(source.GetWidth());
    result.SetHeight(source.GetHeight());
    for (int y = 0; y < source.GetHeight(); ++y)
        for (int x = 0; x < source.GetWidth(); ++x) {
            const std::uint8_t* p = source.GetScanline(y) + 3 * x;
            const std::uint8_t* q = map.GetScanline(y) + 3 * x;
            const int s = p[0] + p[1] + p[2];
            const int n = q[0] + q[1] + q[2];
            const int m = s - (n - 381) * c / 381;
            int chosen;
            if (m <= list[0].level) {
                chosen = 0;
            } else if (m >= list[3].level) {
                chosen = 3;
            } else {
                int k = 0;
                while (list[static_cast<std::size_t>(k)].level < m)
                    ++k;
                const int lo = list[static_cast<std::size_t>(k - 1)].level;
                const int hi = list[static_cast<std::size_t>(k)].level;
                const int t = 8 * (m - lo) / (hi - lo);
                chosen = (t + 1) / 2 < threshold[y % 2][x % 2] ? k - 1 : k;
            }
            const Entry& e = list[static_cast<std::size_t>(chosen)];
            setPixel(result, x, y, e.b, e.g, e.r);
        }
}

// A map that means "no local difference" everywhere.
TPicture neutralMap(int width, int height) { return filled(width, height, 127, 127, 127); }

// A uniform picture whose pixels have level s, filled blue first, then green, then red.
TPicture ofLevel(int width, int height, int s) {
    const int b = std::min(s, 255);
    const int g = std::min(s - b, 255);
    return filled(width, height, static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                  static_cast<std::uint8_t>(s - b - g));
}

Bytes bgrOf(const Ink& ink) { return {ink.b, ink.g, ink.r}; }

// The 2x2 cell of a uniform picture of level s: which pixels took the upper ink.
struct CellCase {
    const char* name;
    int level;
    Bytes evenEven, evenOdd, oddEven, oddOdd; // (row parity, column parity)
};

class DitherCell : public ::testing::TestWithParam<CellCase> {};

const Bytes kBlack = {0, 0, 0}, kRed = {0, 0, 128}, kOrange = {0, 128, 255};

} // namespace

TEST_P(DitherCell, FillsTheCellInThresholdOrder) {
    const CellCase& c = GetParam();
    TPicture source = ofLevel(4, 4, c.level);
    TPicture map = neutralMap(4, 4);
    TPicture result;
    CPC_Mode1_Dither(source, result, map, kDefaultInks, 0, 0, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const Bytes& expected = y % 2 ? (x % 2 ? c.oddOdd : c.oddEven) : (x % 2 ? c.evenOdd : c.evenEven);
            EXPECT_EQ(pixel(result, x, y), expected) << "at " << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    DefaultInks, DitherCell,
    ::testing::Values(CellCase{"Black", 0, kBlack, kBlack, kBlack, kBlack},
                      CellCase{"White", 765, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}},
                      CellCase{"ExactlyDarkRed", 128, kRed, kRed, kRed, kRed},
                      CellCase{"OneOfFour", 16, kRed, kBlack, kBlack, kBlack},
                      CellCase{"TwoOfFour", 48, kRed, kBlack, kBlack, kRed},
                      CellCase{"ThreeOfFour", 80, kRed, kBlack, kRed, kRed},
                      CellCase{"SevenEighthsRoundsUp", 112, kRed, kRed, kRed, kRed},
                      CellCase{"JustAboveDarkRed", 129, kRed, kRed, kRed, kRed},
                      CellCase{"OrangeOneOfFour", 200, kOrange, kRed, kRed, kRed}),
    [](const auto& info) { return std::string(info.param.name); });

// Which default ink a pixel of level m takes at threshold T, given the four
// sorted levels the document states for a slider setting.
static std::size_t inkForStatedLevels(const std::array<int, 4>& lev, int m, int threshold) {
    if (m <= lev[0])
        return 0;
    if (m >= lev[3])
        return 3;
    std::size_t k = 1;
    while (lev[k] < m)
        ++k;
    const bool upper = 8 * (m - lev[k - 1]) >= (2 * threshold - 1) * (lev[k] - lev[k - 1]);
    return upper ? k : k - 1;
}

TEST(DitherLevels, BrightnessAndContrastMoveInkLevelsWithTruncation) {
    // Every pixel level 0..765 in a 2x2 cell each: the whole response must be
    // that of the stated ink levels, so a level off by one shows somewhere.
    struct Row {
        int a, b;
        std::array<int, 4> levels;
    };
    const Row rows[] = {{0, 0, {0, 128, 383, 765}},        {100, 0, {-115, 32, 325, 765}},
                        {-100, 0, {0, 147, 440, 880}},     {0, 100, {158, 233, 382, 606}},
                        {0, -100, {-270, -53, 383, 1035}}, {0, 370, {376, 378, 382, 388}},
                        {100, -100, {-467, -216, 284, 1035}}};
    TPicture source;
    source.SetWidth(2 * 766);
    source.SetHeight(2);
    for (int level = 0; level <= 765; ++level)
        for (int y = 0; y < 2; ++y)
            for (int x = 2 * level; x < 2 * level + 2; ++x) {
                const int b = std::min(level, 255), g = std::min(level - b, 255);
                setPixel(source, x, y, static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                         static_cast<std::uint8_t>(level - b - g));
            }
    TPicture map = neutralMap(2 * 766, 2);
    const int threshold[2][2] = {{1, 4}, {3, 2}};
    for (const Row& row : rows) {
        TPicture result;
        CPC_Mode1_Dither(source, result, map, kDefaultInks, row.a, row.b, 0);
        int mismatches = 0;
        for (int level = 0; level <= 765; ++level)
            for (int y = 0; y < 2; ++y)
                for (int dx = 0; dx < 2; ++dx) {
                    const std::size_t ink = inkForStatedLevels(row.levels, level, threshold[y][dx]);
                    if (pixel(result, 2 * level + dx, y) != bgrOf(kDefaultInks[ink]))
                        ++mismatches;
                }
        EXPECT_EQ(mismatches, 0) << "a=" << row.a << " b=" << row.b;
    }
}

TEST(DitherLevels, EqualLevelsKeepTableOrder) {
    const InkTable inks = {{{0, 0, 0}, {0, 254, 0}, {254, 0, 0}, {254, 254, 254}}};
    TPicture map = neutralMap(2, 2);
    TPicture result;
    TPicture at = ofLevel(2, 2, 254);
    CPC_Mode1_Dither(at, result, map, inks, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(pixel(result, x, y), (Bytes{0, 254, 0}));
    TPicture above = ofLevel(2, 2, 255);
    CPC_Mode1_Dither(above, result, map, inks, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(pixel(result, x, y), (Bytes{0, 0, 254}));
}

TEST(DitherLevels, FourInksOfOneLevelSplitIntoFirstAndLast) {
    const InkTable inks = {{{254, 0, 0}, {0, 254, 0}, {0, 0, 254}, {127, 127, 0}}};
    TPicture map = neutralMap(2, 2);
    TPicture result;
    TPicture dark = ofLevel(2, 2, 254);
    CPC_Mode1_Dither(dark, result, map, inks, 0, 0, 0);
    EXPECT_EQ(pixel(result, 1, 1), (Bytes{0, 0, 254}));
    TPicture light = ofLevel(2, 2, 255);
    CPC_Mode1_Dither(light, result, map, inks, 0, 0, 0);
    EXPECT_EQ(pixel(result, 1, 1), (Bytes{0, 127, 127}));
}

TEST(DitherLocalTerm, MapSumShiftsThePixelLevel) {
    // c = 381 and map sum 382: m = s - 1, so level 16, which takes dark red
    // at the lowest threshold, drops to black there; c = 1 truncates to 0.
    TPicture source = ofLevel(2, 2, 16);
    TPicture map = filled(2, 2, 128, 127, 127);
    TPicture result;
    CPC_Mode1_Dither(source, result, map, kDefaultInks, 0, 0, 381);
    EXPECT_EQ(pixel(result, 0, 0), kBlack);
    CPC_Mode1_Dither(source, result, map, kDefaultInks, 0, 0, 1);
    EXPECT_EQ(pixel(result, 0, 0), kRed);
    // A neutral map leaves every level alone whatever c is.
    TPicture neutral = neutralMap(2, 2);
    CPC_Mode1_Dither(source, result, neutral, kDefaultInks, 0, 0, -20000);
    EXPECT_EQ(pixel(result, 0, 0), kRed);
    EXPECT_EQ(pixel(result, 1, 0), kBlack);
    // c = 20000, map sum 192: m = s + 9921, far above white.
    TPicture bright = filled(2, 2, 64, 64, 64);
    TPicture black = ofLevel(2, 2, 0);
    CPC_Mode1_Dither(black, result, bright, kDefaultInks, 0, 0, 20000);
    EXPECT_EQ(pixel(result, 0, 0), (Bytes{255, 255, 255}));
}

TEST(DitherShape, ResultTakesTheSourceSizeWhateverItWas) {
    TPicture source = random(5, 3, 1);
    TPicture map = neutralMap(5, 3);
    TPicture result = filled(40, 40, 9, 9, 9);
    CPC_Mode1_Dither(source, result, map, kDefaultInks, 0, 0, 0);
    EXPECT_EQ(result.GetWidth(), 5);
    EXPECT_EQ(result.GetHeight(), 3);

    TPicture empty;
    empty.SetWidth(7);
    CPC_Mode1_Dither(empty, result, map, kDefaultInks, 0, 0, 0);
    EXPECT_EQ(result.GetWidth(), 7);
    EXPECT_EQ(result.GetHeight(), 0);
}

// Without a local term the map is not read, so none need be made; with one,
// a missing map is refused rather than read.
TEST(DitherShape, OnlyALocalTermNeedsTheMap) {
    TPicture source = random(9, 5, 3);
    TPicture map, result, expected;
    Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, expected, map, kDefaultInks, 20, 10, 0);
    const TPicture noMap;
    CPC_Mode1_Dither(source, result, noMap, kDefaultInks, 20, 10, 0);
    EXPECT_EQ(rows(result), rows(expected));
    EXPECT_THROW(CPC_Mode1_Dither(source, result, noMap, kDefaultInks, 20, 10, 1), Exception);
    EXPECT_THROW(Ink_Search_Cells_Of(source, noMap, 0, 0, -1), Exception);
    EXPECT_EQ(Ink_Search_Cells_Of(source, noMap, 20, 10, 0).m, Ink_Search_Cells_Of(source, map, 20, 10, 0).m);
}

TEST(DitherShape, EveryResultPixelIsOneOfTheInks) {
    const InkTable inks = {{{0, 0, 254}, {127, 0, 127}, {254, 127, 0}, {127, 254, 254}}};
    TPicture source = random(33, 17, 7);
    TPicture map;
    Local_Contrast_Map(source, map);
    TPicture result;
    CPC_Mode1_Dither(source, result, map, inks, 37, -12, 5000);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x) {
            const Bytes p = pixel(result, x, y);
            EXPECT_TRUE(std::any_of(inks.begin(), inks.end(), [&](const Ink& ink) { return bgrOf(ink) == p; }))
                << "at " << x << "," << y;
        }
}

// The table-driven engine against the plain transcription, over random
// pictures, random maps (any byte, not only built ones), inks and sliders.
TEST(DitherMatchesReference, OnRandomPicturesAndSliders) {
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> brightness(kBrightnessMin, kBrightnessMax);
    std::uniform_int_distribution<int> contrast(kContrastMin, kContrastMax);
    std::uniform_int_distribution<int> local(kLocalMin, kLocalMax);
    std::uniform_int_distribution<int> colour(0, 26);
    for (int round = 0; round < 60; ++round) {
        // Rows wide enough for 16 pixels at a time, and a few over.
        const int width = 1 + round % 13 + 16 * (round % 4), height = 1 + round % 7;
        TPicture source = random(width, height, static_cast<unsigned>(round));
        TPicture map = random(width, height, static_cast<unsigned>(round + 1000));
        if (round % 2)
            Local_Contrast_Map(source, map);
        InkTable inks;
        for (Ink& ink : inks)
            ink = Ink_From_Colour_Number(colour(generator));
        if (round % 5 == 0)
            Reset_Ink_Table(inks);
        if (round % 6 == 3)
            inks.fill(inks[0]); // one level for all four
        if (round % 6 == 4)
            inks = {{Ink_From_Colour_Number(2), Ink_From_Colour_Number(18), Ink_From_Colour_Number(6), inks[3]}};
        int a = brightness(generator), b = contrast(generator), c = local(generator);
        if (round % 7 == 0)
            a = kBrightnessMax, b = kContrastMin, c = kLocalMax;
        if (round % 7 == 1)
            a = kBrightnessMin, b = kContrastMax, c = kLocalMin;
        if (round % 7 == 2)
            c = 0; // the map is not read then: a random map must not matter
        TPicture expected, actual;
        referenceDither(source, expected, map, inks, a, b, c);
        CPC_Mode1_Dither(source, actual, map, inks, a, b, c);
        ASSERT_EQ(rows(actual), rows(expected)) << "round " << round << " a=" << a << " b=" << b << " c=" << c;
    }
}
