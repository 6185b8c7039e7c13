#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "ColourChoices.h"
#include "Engine.h"
#include "InkChoice.h"
#include "LandscapePicture.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

constexpr int A = kChooseInk;

// The truth the search is held to: every set in tie-breaking order, dithered
// by the real dither and measured cell by cell.
Ink_Choice bruteForce(TPicture& source, const TPicture& map, const Ink_Search_Cells& cells,
                      const InkNumbers& kept) {
    Ink_Choice best;
    best.error = std::numeric_limits<double>::infinity();
    For_Each_Colour_Choice(kept, [&](const std::vector<int>& chosen) {
        const InkNumbers numbers = Place_Chosen_Inks(kept, chosen);
        const double error = Ink_Table_Error(source, map, Inks_Of_Numbers(numbers), cells);
        if (error < best.error)
            best = {numbers, error, false};
    });
    return best;
}

struct AgreementCase {
    const char* name;
    int width, height;
    unsigned seed;
    int a, b, c;
    InkNumbers kept;
    // Every channel rounded to an ink's 0, 127 or 254, so that pixels sit
    // exactly on the levels the dither compares them with.
    bool onInkLevels = false;
    friend void PrintTo(const AgreementCase& c, std::ostream* out) { *out << c.name; }
};

class InkChoiceAgreement : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(InkChoiceAgreement, FindsWhatBruteForceFinds) {
    const AgreementCase& p = GetParam();
    TPicture source = random(p.width, p.height, p.seed), map;
    for (int y = 0; p.onInkLevels && y < p.height; ++y)
        for (int x = 0; x < 3 * p.width; ++x)
            source.GetScanline(y)[x] = static_cast<std::uint8_t>(source.GetScanline(y)[x] / 86 * 127);
    Local_Contrast_Map(source, map);
    const Ink_Search_Cells cells = Ink_Search_Cells_Of(source, map, p.a, p.b, p.c);
    const Ink_Choice truth = bruteForce(source, map, cells, p.kept);
    const Ink_Choice found = Choose_Inks(cells, p.kept, {2, nullptr, nullptr});
    EXPECT_EQ(found.numbers, truth.numbers);
    EXPECT_NEAR(found.error, truth.error, 1e-9 * truth.error);
}

INSTANTIATE_TEST_SUITE_P(
    SmallRandomPictures, InkChoiceAgreement,
    ::testing::Values(
        AgreementCase{"AllFour", 10, 8, 1, 0, 0, 0, {A, A, A, A}},
        AgreementCase{"AllFourWithSlidersAndLocal", 12, 10, 2, 60, -40, 3000, {A, A, A, A}},
        AgreementCase{"AllFourAtFullContrast", 8, 8, 5, 0, 370, 0, {A, A, A, A}},
        AgreementCase{"KeepingBlackAndWhite", 10, 8, 3, 0, 0, 0, {0, A, A, 26}},
        AgreementCase{"KeepingOneMiddleInkOddSize", 9, 7, 4, -80, 0, -5000, {A, A, 13, A}},
        AgreementCase{"KeepingThreeEqualTopInksPixelsOnLevels", 12, 10, 7, 0, 0, 0, {0, 2, 6, 18},
                      true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InkChoice, IsTheSameOnAnyNumberOfThreads) {
    TPicture source = landscape(96, 60), map;
    Local_Contrast_Map(source, map);
    const Ink_Search_Cells cells = Ink_Search_Cells_Of(source, map, 20, 30, 800);
    const Ink_Choice one = Choose_Inks(cells, {A, A, A, A}, {1, nullptr, nullptr});
    for (int threads : {2, 3, 8}) {
        const Ink_Choice many = Choose_Inks(cells, {A, A, A, A}, {threads, nullptr, nullptr});
        EXPECT_EQ(many.numbers, one.numbers) << threads << " threads";
        EXPECT_EQ(many.error, one.error) << threads << " threads";
    }
}

TEST(InkChoice, StopsWhenCancelledFromTheProgressReport) {
    TPicture source = landscape(64, 40), map;
    Local_Contrast_Map(source, map);
    std::atomic<bool> cancel{false};
    int reports = 0;
    const Ink_Search_Control control{2, [&](int, int) { ++reports, cancel = true; }, &cancel};
    EXPECT_TRUE(
        Choose_Inks(Ink_Search_Cells_Of(source, map, 0, 0, 0), {A, A, A, A}, control).cancelled);
    EXPECT_EQ(reports, 1);
}

TEST(InkChoice, PlacesChosenInksDarkestFirstAroundKeptOnes) {
    struct Case {
        InkNumbers kept;
        std::vector<int> chosen;
        InkNumbers placed;
    };
    // 2 and 18 share a level, as do 26 alone and 13 below it.
    for (const Case& c : {Case{{A, A, A, A}, {26, 18, 2, 13}, {2, 18, 13, 26}},
                          Case{{A, 9, A, A}, {26, 0, 3}, {0, 9, 3, 26}}}) {
        EXPECT_EQ(Place_Chosen_Inks(c.kept, c.chosen), c.placed);
    }
}

TEST(InkChoice, JudgesALargePictureOnAnEvenSampleOfCells) {
    TPicture source = landscape(1000, 640), map;
    Local_Contrast_Map(source, map);
    const Ink_Search_Cells cells = Ink_Search_Cells_Of(source, map, 0, 0, 0);
    EXPECT_LE(cells.colour.size(), static_cast<std::size_t>(kMaxJudgedCells));
    EXPECT_GT(cells.colour.size(), static_cast<std::size_t>(kMaxJudgedCells) * 9 / 10);
    const auto [left, right] = std::minmax_element(cells.x.begin(), cells.x.end());
    EXPECT_LT(*left, 1000 / 100);
    EXPECT_GT(*right, 1000 - 1000 / 100);
}

} // namespace
