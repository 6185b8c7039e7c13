#include <gtest/gtest.h>

#include "Engine.h"
#include "FitToScreen.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

struct Rect {
    int left, top, right, bottom; // right and bottom excluded
};

// A black picture, white inside the rectangle.
TPicture whiteIn(int width, int height, Rect white) {
    TPicture picture = filled(width, height, 0, 0, 0);
    for (int y = white.top; y < white.bottom; ++y)
        for (int x = white.left; x < white.right; ++x)
            setPixel(picture, x, y, 255, 255, 255);
    return picture;
}

struct FitCase {
    const char* name;
    int width, height;
    TFitMode mode;
    Rect white, onScreen; // the source's white part, and where it lands
    TCropPosition cropAt = {};
};

class FitGeometry : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitGeometry, KeepsTheProportionsTheScreenShows) {
    const FitCase& c = GetParam();
    TPicture source = whiteIn(c.width, c.height, c.white);
    TPicture result = filled(5, 5, 9, 9, 9);
    Fit_To_Screen(source, result, c.mode, Screen_Mode(kDefaultScreenMode), c.cropAt);
    ASSERT_EQ(result.GetWidth(), kScreenWidth);
    ASSERT_EQ(result.GetHeight(), kScreenHeight);
    EXPECT_EQ(rows(result), rows(whiteIn(kScreenWidth, kScreenHeight, c.onScreen)));
}

using enum TFitMode;
// 2950 x 1000 shows twice as wide as the screen, 1475 x 2000 half as wide.
const std::vector<FitCase> kFitCases = {
    {"CropWideCutsTheSides", 2950, 1000, Crop, {885, 0, 2065, 1000}, {32, 0, 288, 200}},
    {"CropTallCutsTopAndBottom", 1475, 2000, Crop, {0, 800, 1475, 1200}, {0, 60, 320, 140}},
    {"CropTinyFillsTheScreen", 1, 1, Crop, {0, 0, 1, 1}, {0, 0, 320, 200}},
    {"PadWideBarsAboveAndBelow", 2950, 1000, Pad, {0, 0, 2950, 1000}, {0, 50, 320, 150}},
    {"PadTallBarsLeftAndRight", 1475, 2000, Pad, {0, 0, 1475, 2000}, {80, 0, 240, 200}},
    {"PadSquareIsWiderInScreenPixels", 1, 1, Pad, {0, 0, 1, 1}, {51, 0, 268, 200}},
    {"PadOneRowKeepsOneScreenRow", 4000, 1, Pad, {0, 0, 4000, 1}, {0, 99, 320, 100}},
    {"StretchIgnoresProportions", 1000, 1000, Stretch, {0, 250, 1000, 750}, {0, 50, 320, 150}},
    {"EmptyGivesABlackScreen", 0, 0, Pad, {0, 0, 0, 0}, {0, 0, 0, 0}},
    // The crop window is 1475 of the wide picture's 2950 columns, 1000 of the tall one's 2000 rows.
    {"CropAtLeftKeepsTheLeftEdge", 2950, 1000, Crop, {0, 0, 1180, 1000}, {0, 0, 256, 200}, {0, 0.5}},
    {"CropAtRightKeepsTheRightEdge", 2950, 1000, Crop, {1770, 0, 2950, 1000}, {64, 0, 320, 200}, {1, 0.5}},
    {"CropAtTopKeepsTheHead", 1475, 2000, Crop, {0, 0, 1475, 400}, {0, 0, 320, 80}, {0.5, 0}},
    {"CropAtAQuarterDown", 1475, 2000, Crop, {0, 450, 1475, 1250}, {0, 40, 320, 200}, {0.5, 0.25}},
    {"CropBeyondTheEndsIsAtTheEnds", 1475, 2000, Crop, {0, 1600, 1475, 2000}, {0, 120, 320, 200}, {-3, 7}},
    {"CropPositionLeavesPadAlone", 2950, 1000, Pad, {0, 0, 2950, 1000}, {0, 50, 320, 150}, {0, 1}},
};

INSTANTIATE_TEST_SUITE_P(Pictures, FitGeometry, ::testing::ValuesIn(kFitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FitToScreen, StretchPassesAScreenSizedPictureUnchanged) {
    TPicture source = random(kScreenWidth, kScreenHeight, 13);
    TPicture result;
    Fit_To_Screen(source, result, TFitMode::Stretch);
    EXPECT_EQ(rows(result), rows(source));
}

// Black and white pixels in equal parts emit half the light of white: in
// sRGB that is 188, not the 128 of averaging the bytes.
TEST(FitToScreen, ShrinkingAveragesInLinearLight) {
    TPicture source = filled(2 * kScreenWidth, 2 * kScreenHeight, 0, 0, 0);
    for (int y = 0; y < source.GetHeight(); ++y)
        for (int x = y % 2; x < source.GetWidth(); x += 2)
            setPixel(source, x, y, 255, 255, 255);
    TPicture result;
    Fit_To_Screen(source, result, TFitMode::Stretch);
    EXPECT_EQ(rows(result), rows(filled(kScreenWidth, kScreenHeight, 188, 188, 188)));
}

// A square padded onto each mode's screen covers as many screen pixels
// across as its height at the mode's pixel shape, so it shows square.
class FitEveryMode : public ::testing::TestWithParam<int> {};

TEST_P(FitEveryMode, ASquareFillsTheHeightAndShowsSquare) {
    const ScreenMode& mode = Screen_Mode(GetParam());
    TPicture source = filled(50, 50, 255, 255, 255), result;
    Fit_To_Screen(source, result, TFitMode::Pad, mode);
    ASSERT_EQ(result.GetWidth(), mode.width);
    ASSERT_EQ(result.GetHeight(), mode.height);
    int whiteAcross = 0;
    for (int x = 0; x < mode.width; ++x)
        whiteAcross += pixel(result, x, mode.height / 2) == Bytes{255, 255, 255};
    EXPECT_NEAR(whiteAcross * mode.pixelAspect, mode.height, mode.pixelAspect);
    EXPECT_EQ(pixel(result, mode.width / 2, 0), (Bytes{255, 255, 255}));
}

INSTANTIATE_TEST_SUITE_P(Modes, FitEveryMode, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return "Mode" + std::to_string(info.param); });

} // namespace
