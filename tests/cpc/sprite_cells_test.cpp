#include <gtest/gtest.h>

#include <random>

#include "ModePacking.h"
#include "PictureBuilder.h"
#include "SpriteCells.h"
#include "SpriteSheetInks.h"

using namespace testing_pictures;

namespace {

// Inks of mode that all differ: colour numbers 0, 1, 2...
InkList distinctInks(const ScreenMode& mode) {
    std::vector<int> numbers(static_cast<std::size_t>(mode.inkCount));
    for (std::size_t k = 0; k < numbers.size(); ++k)
        numbers[k] = static_cast<int>(k);
    return Ink_List_Of_Numbers(numbers);
}

// A sheet of random ink numbers of mode, drawn in distinctInks.
std::vector<int> drawSheet(TPicture& sheet, const ScreenMode& mode, int width, int height, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> anyInk(0, mode.inkCount - 1);
    const InkList inks = distinctInks(mode);
    sheet = filled(width, height, 0, 0, 0);
    std::vector<int> numbers(static_cast<std::size_t>(width * height));
    for (int i = 0; i < width * height; ++i) {
        numbers[static_cast<std::size_t>(i)] = anyInk(generator);
        const Ink& ink = inks[static_cast<std::size_t>(numbers[static_cast<std::size_t>(i)])];
        setPixel(sheet, i % width, i / width, ink.b, ink.g, ink.r);
    }
    return numbers;
}

struct CutCase {
    const char* name;
    int mode, width, height;
    SpriteCutting cutting;
    int expectedCells;
};

class SpriteCutter : public testing::TestWithParam<CutCase> {};

} // namespace

// Every pixel of every cell reads back, by the mode's bit table, as the sheet's
// pixel at its place; a transparent pixel has all mask bits set and data ink 0.
TEST_P(SpriteCutter, CellsReadBackAsTheSheet) {
    const CutCase& c = GetParam();
    const ScreenMode& mode = Screen_Mode(c.mode);
    TPicture sheet;
    const std::vector<int> inks = drawSheet(sheet, mode, c.width, c.height, 7);
    const SpriteCells cells = Cut_Sprite_Cells(sheet, distinctInks(mode), mode, c.cutting);
    ASSERT_EQ(static_cast<int>(cells.cells.size()), c.expectedCells);
    const int across = c.width / c.cutting.cellWidth, step = c.cutting.transparentInk ? 2 : 1;
    for (int cell = 0; cell < c.expectedCells; ++cell)
        for (int y = 0; y < c.cutting.cellHeight; ++y)
            for (int x = 0; x < c.cutting.cellWidth; ++x) {
                const bool backwards = c.cutting.rows == SpriteRows::Zigzag && y % 2 == 1;
                const int byteInRow = x / mode.pixelsPerByte;
                const int stored = backwards ? cells.widthBytes - 1 - byteInRow : byteInRow;
                const std::size_t at = static_cast<std::size_t>((y * cells.widthBytes + stored) * step + step - 1);
                const std::uint8_t data = cells.cells[static_cast<std::size_t>(cell)].at(at);
                const int sheetX = (cell % across) * c.cutting.cellWidth + x;
                const int sheetY = (cell / across) * c.cutting.cellHeight + y;
                const int ink = inks[static_cast<std::size_t>(sheetY * c.width + sheetX)];
                const bool clear = c.cutting.transparentInk == ink;
                const int p = x % mode.pixelsPerByte;
                EXPECT_EQ(Packed_Pixel_Ink(mode, data, p), clear ? 0 : ink) << c.name << " cell " << cell;
                if (step == 2) {
                    const std::uint8_t mask = cells.cells[static_cast<std::size_t>(cell)].at(at - 1);
                    EXPECT_EQ(mask & Packed_Pixel_Bits(mode, p), clear ? Packed_Pixel_Bits(mode, p) : 0) << c.name;
                }
            }
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, SpriteCutter,
    testing::Values(CutCase{"Mode1Grid", 1, 32, 24, {16, 8, 0, SpriteRows::Down, {}}, 6},
                    CutCase{"Mode0Zigzag", 0, 12, 6, {4, 3, 0, SpriteRows::Zigzag, {}}, 6},
                    CutCase{"Mode2FirstCells", 2, 48, 10, {16, 5, 4, SpriteRows::Down, {}}, 4},
                    CutCase{"OneCellOneByte", 1, 4, 1, {4, 1, 0, SpriteRows::Down, {}}, 1},
                    CutCase{"Mode0Mask", 0, 8, 4, {4, 4, 0, SpriteRows::Zigzag, 5}, 2},
                    CutCase{"Mode1Mask", 1, 16, 6, {8, 3, 3, SpriteRows::Down, 2}, 3},
                    CutCase{"Mode2Mask", 2, 32, 4, {16, 2, 0, SpriteRows::Zigzag, 0}, 4}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(SpriteCutter, RefusesWhatDoesNotFitNamingWhatDoes) {
    struct Case {
        int mode, width, height;
        SpriteCutting cutting;
        const char* mentions; // "" for a cutting that is accepted
    };
    const Case cases[] = {
        {1, 32, 16, {6, 8, 0, SpriteRows::Down, {}}, "a multiple of 4 (4, 8, 12...)"},
        {0, 32, 16, {3, 8, 0, SpriteRows::Down, {}}, "a multiple of 2"},
        {2, 32, 16, {12, 8, 0, SpriteRows::Down, {}}, "a multiple of 8"},
        {1, 40, 16, {16, 8, 0, SpriteRows::Down, {}}, "widths that fit in mode 1 are 4, 8, 20, 40, heights 1, 2, 4, 8, 16"},
        {1, 32, 20, {16, 8, 0, SpriteRows::Down, {}}, "not a whole number of 16 x 8 cells"},
        {1, 32, 16, {16, 8, 5, SpriteRows::Down, {}}, "the picture holds only 4"},
        {1, 32, 16, {16, 8, 0, SpriteRows::Down, 4}, "inks 0 to 3"},
        {0, 32, 16, {16, 8, 0, SpriteRows::Down, -1}, "inks 0 to 15"},
        {1, 32, 16, {0, 8, 0, SpriteRows::Down, {}}, "at least 1 pixel high and 4 pixels wide"},
        {1, 32, 16, {16, 8, 4, SpriteRows::Down, 3}, ""},
    };
    for (const Case& c : cases) {
        const std::string refusal = Sprite_Cutting_Refusal(c.width, c.height, Screen_Mode(c.mode), c.cutting);
        if (*c.mentions == '\0')
            EXPECT_EQ(refusal, "");
        else
            EXPECT_NE(refusal.find(c.mentions), std::string::npos) << refusal;
    }
}

TEST(SpriteSheetInks, KeepsCpcColoursInOrderOfFirstAppearance) {
    struct Case {
        const char* name;
        std::vector<Bytes> pixels; // {b, g, r} row after row of a 1-pixel-high sheet
        std::optional<std::vector<int>> numbers;
    };
    const Case cases[] = {
        {"FirstSeenFirst", {{255, 0, 0}, {0, 0, 0}, {255, 0, 0}, {128, 128, 255}}, std::vector<int>{2, 0, 16, 1}},
        {"NearLevelsAreTheLevel", {{120, 8, 0}, {136, 0, 0}, {247, 0, 0}}, std::vector<int>{1, 2, 0, 3}},
        {"TooManyColours", {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}, std::nullopt},
        {"NotACpcColour", {{0, 0, 0}, {0, 100, 0}}, std::nullopt},
    };
    for (const Case& c : cases) {
        TPicture sheet = filled(static_cast<int>(c.pixels.size()), 1, 0, 0, 0);
        for (std::size_t x = 0; x < c.pixels.size(); ++x)
            setPixel(sheet, static_cast<int>(x), 0, c.pixels[x][0], c.pixels[x][1], c.pixels[x][2]);
        EXPECT_EQ(Sprite_Sheet_Colour_Numbers(sheet, 4), c.numbers) << c.name;
    }
}
