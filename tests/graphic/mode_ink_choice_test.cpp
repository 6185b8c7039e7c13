#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <limits>
#include <set>

#include "ColourChoices.h"
#include "Engine.h"
#include "LandscapePicture.h"
#include "ModeInkChoice.h"
#include "PerceptualMeasure.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

constexpr int A = kChooseInk;

std::vector<int> allChosen(const ScreenMode& mode) {
    return std::vector<int>(static_cast<std::size_t>(mode.inkCount), A);
}

InkList inksOf(const std::vector<int>& numbers) {
    InkList inks;
    for (int n : numbers)
        inks.push_back(Ink_From_Colour_Number(n));
    return inks;
}

// The truth the search is held to: every set in ascending order of its
// chosen colours, dithered and measured; the first of equal ranks wins.
Mode_Ink_Choice bruteForce(TPicture& source, const TPicture& map, const std::vector<int>& kept,
                           TDither dither, const ScreenMode& mode) {
    const PerceptualReference reference(source);
    Mode_Ink_Choice best;
    double bestRank = std::numeric_limits<double>::infinity();
    For_Each_Colour_Choice(kept, [&](const std::vector<int>& chosen) {
        const std::vector<int> numbers = Place_Chosen_Inks(kept, chosen);
        TPicture result;
        Mode_Dither(dither, source, result, map, inksOf(numbers), 0, 0, 0, mode);
        const PerceptualScore score = reference.score(result);
        if (score.rank() < bestRank) {
            best = {numbers, score.error, false};
            bestRank = score.rank();
        }
    });
    return best;
}

struct AgreementCase {
    const char* name;
    int mode;
    std::vector<int> kept;
    Ink_Search_Way way;
    friend void PrintTo(const AgreementCase& c, std::ostream* out) { *out << c.name; }
};

class ModeInkChoiceAgreement : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(ModeInkChoiceAgreement, FindsWhatBruteForceFinds) {
    const AgreementCase& p = GetParam();
    const ScreenMode& mode = Screen_Mode(p.mode);
    TPicture source = landscape(40, 24), map;
    Local_Contrast_Map(source, map);
    const Mode_Ink_Choice truth = bruteForce(source, map, p.kept, TDither::Ordered4, mode);
    const Mode_Ink_Choice found =
        Choose_Mode_Inks(source, map, p.kept, TDither::Ordered4, mode, 0, 0, 0, {2, {}, nullptr}, p.way);
    EXPECT_EQ(found.numbers, truth.numbers);
    EXPECT_NEAR(found.error, truth.error, 1e-9 * truth.error);
}

INSTANTIATE_TEST_SUITE_P(
    SmallLandscapes, ModeInkChoiceAgreement,
    ::testing::Values(
        AgreementCase{"Mode2BothInks", 2, {A, A}, Ink_Search_Way::Automatic},
        AgreementCase{"Mode1KeepingBlackAndWhite", 1, {0, A, A, 26}, Ink_Search_Way::Automatic},
        AgreementCase{"Mode0ThreeOfFourteen", 0,
                      {0, 1, 2, 3, 4, A, 6, 9, 10, A, 12, 13, 18, 20, A, 26}, Ink_Search_Way::Automatic}),
    [](const auto& info) { return std::string(info.param.name); });

struct KeptCase {
    const char* name;
    int mode;
    TDither dither;
    std::vector<int> kept;
    friend void PrintTo(const KeptCase& c, std::ostream* out) { *out << c.name; }
};

class ModeInkChoiceKeeps : public ::testing::TestWithParam<KeptCase> {};

// Kept inks stay where they are; the chosen ones differ from each other and
// from the kept ones.
TEST_P(ModeInkChoiceKeeps, KeptInksAndChoosesOthersOnce) {
    const KeptCase& p = GetParam();
    const ScreenMode& mode = Screen_Mode(p.mode);
    TPicture source = landscape(48, 30), map;
    Local_Contrast_Map(source, map);
    const Mode_Ink_Choice choice =
        Choose_Mode_Inks(source, map, p.kept, p.dither, mode, 0, 0, 0, {2, {}, nullptr});
    ASSERT_EQ(choice.numbers.size(), p.kept.size());
    for (std::size_t k = 0; k < p.kept.size(); ++k) {
        if (p.kept[k] != A) {
            EXPECT_EQ(choice.numbers[k], p.kept[k]) << "ink " << k;
        }
        EXPECT_TRUE(choice.numbers[k] >= 0 && choice.numbers[k] < kColourCount) << "ink " << k;
    }
    std::set<int> chosen;
    for (std::size_t k = 0; k < p.kept.size(); ++k)
        if (p.kept[k] == A) {
            EXPECT_TRUE(chosen.insert(choice.numbers[k]).second &&
                        std::count(p.kept.begin(), p.kept.end(), choice.numbers[k]) == 0)
                << "ink " << k << " is colour " << choice.numbers[k] << " twice";
        }
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, ModeInkChoiceKeeps,
    ::testing::Values(
        KeptCase{"Mode0DiffusionBySwaps", 0, TDither::Diffusion,
                 {A, 13, A, A, A, A, A, 0, A, A, A, A, A, A, 26, A}},
        KeptCase{"Mode1Classic", 1, TDither::Classic, {A, 24, A, A}},
        KeptCase{"Mode1Atkinson", 1, TDither::Atkinson, {6, A, A, 26}},
        KeptCase{"Mode2Nearest", 2, TDither::None, {A, 15}}),
    [](const auto& info) { return std::string(info.param.name); });

struct OwnColoursCase {
    const char* name;
    int mode;
    TDither dither;
    std::vector<int> colours; // colour numbers drawn in the picture
    std::vector<int> kept;
    friend void PrintTo(const OwnColoursCase& c, std::ostream* out) { *out << c.name; }
};

class ModeInkChoiceOwnColours : public ::testing::TestWithParam<OwnColoursCase> {};

// Drawn in stripes, with channels 128 and 255 (the inks have 127 and 254),
// the picture comes out exactly in its own colours.
TEST_P(ModeInkChoiceOwnColours, GivesAPictureOfCpcColoursItsOwn) {
    const OwnColoursCase& p = GetParam();
    const ScreenMode& mode = Screen_Mode(p.mode);
    TPicture source = filled(32, 8, 0, 0, 0), map;
    const auto channel = [](int intensity) {
        return static_cast<std::uint8_t>(std::array<int, 3>{0, 128, 255}[static_cast<std::size_t>(intensity)]);
    };
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 8; ++y) {
            const int n = p.colours[static_cast<std::size_t>((x + y) % static_cast<int>(p.colours.size()))];
            setPixel(source, x, y, channel(n % 3), channel(n / 9), channel(n / 3 % 3));
        }
    Local_Contrast_Map(source, map);
    const Mode_Ink_Choice choice = Choose_Mode_Inks(source, map, p.kept, p.dither, mode, 0, 0, 0, {});
    for (int n : p.colours)
        EXPECT_EQ(std::count(choice.numbers.begin(), choice.numbers.end(), n), 1) << "colour " << n;
    EXPECT_LT(choice.error, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, ModeInkChoiceOwnColours,
    ::testing::Values(
        OwnColoursCase{"Mode0SixteenColours", 0, TDither::Diffusion,
                       {0, 1, 2, 3, 5, 7, 8, 9, 11, 13, 15, 17, 19, 22, 24, 26}, allChosen(Screen_Mode(0))},
        OwnColoursCase{"Mode1ThreeBesideAKeptOne", 1, TDither::Ordered8, {4, 16, 21}, {A, A, 2, A}},
        OwnColoursCase{"Mode1AKeptOneAmongThem", 1, TDither::None, {4, 16, 21, 2}, {A, A, 2, A}},
        OwnColoursCase{"Mode2TwoColours", 2, TDither::Atkinson, {10, 23}, {A, A}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModeInkChoice, IsTheSameOnAnyNumberOfThreads) {
    TPicture source = landscape(80, 50), map;
    Local_Contrast_Map(source, map);
    for (int number : {0, 1, 2}) {
        const ScreenMode& mode = Screen_Mode(number);
        const Mode_Ink_Choice one = Choose_Mode_Inks(source, map, allChosen(mode), TDither::Diffusion,
                                                     mode, 30, -20, 900, {1, {}, nullptr});
        for (int threads : {2, 5}) {
            const Mode_Ink_Choice many = Choose_Mode_Inks(source, map, allChosen(mode), TDither::Diffusion,
                                                          mode, 30, -20, 900, {threads, {}, nullptr});
            EXPECT_EQ(many.numbers, one.numbers) << "mode " << number << ", " << threads << " threads";
            EXPECT_EQ(many.error, one.error) << "mode " << number << ", " << threads << " threads";
        }
    }
}

TEST(ModeInkChoice, StopsWhenCancelledFromTheProgressReport) {
    TPicture source = landscape(64, 40), map;
    Local_Contrast_Map(source, map);
    for (int number : {0, 1}) {
        std::atomic<bool> cancel{false};
        const Ink_Search_Control control{2, [&](int, int) { cancel = true; }, &cancel};
        const ScreenMode& mode = Screen_Mode(number);
        EXPECT_TRUE(
            Choose_Mode_Inks(source, map, allChosen(mode), TDither::Ordered2, mode, 0, 0, 0, control).cancelled)
            << "mode " << number;
    }
}

TEST(ModeInkChoice, RefusesAKeptListOfTheWrongLengthOrColour) {
    TPicture source = landscape(8, 8), map;
    Local_Contrast_Map(source, map);
    EXPECT_THROW(Choose_Mode_Inks(source, map, {A, A, A, A}, TDither::None, Screen_Mode(2), 0, 0, 0, {}),
                 Exception);
    EXPECT_THROW(Choose_Mode_Inks(source, map, {A, 27}, TDither::None, Screen_Mode(2), 0, 0, 0, {}),
                 Exception);
}

} // namespace
