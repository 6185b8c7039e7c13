#include <gtest/gtest.h>

#include "Engine.h"
#include "FitToScreen.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

struct Rect {
    int left, top, right, bottom; // right and bottom excluded
};

struct FitCase {
    const char* name;
    int width, height;
    TFitMode mode;
    Rect white;    // the white part of a black source
    Rect onScreen; // where it must land, exactly white, all else exactly black
};

std::ostream& operator<<(std::ostream& out, const FitCase& c) {
    return out << c.name;
}

class FitGeometry : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitGeometry, KeepsTheProportionsTheScreenShows) {
    const FitCase& c = GetParam();
    TPicture source = filled(c.width, c.height, 0, 0, 0);
    for (int y = c.white.top; y < c.white.bottom; ++y)
        for (int x = c.white.left; x < c.white.right; ++x)
            setPixel(source, x, y, 255, 255, 255);
    TPicture result = filled(5, 5, 9, 9, 9);
    Fit_To_Screen(source, result, c.mode);
    ASSERT_EQ(result.GetWidth(), kScreenWidth);
    ASSERT_EQ(result.GetHeight(), kScreenHeight);
    int wrong = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool inside = x >= c.onScreen.left && x < c.onScreen.right && y >= c.onScreen.top &&
                                y < c.onScreen.bottom;
            const std::uint8_t v = inside ? 255 : 0;
            if (pixel(result, x, y) != Bytes{v, v, v} && ++wrong <= 3)
                ADD_FAILURE() << "pixel " << x << ", " << y << " is " << int(pixel(result, x, y)[0]);
        }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FitGeometry,
    ::testing::Values(
        // 2950 x 1000 is twice as wide as the screen shows: crop keeps the middle half.
        FitCase{"CropWideCutsTheSides", 2950, 1000, TFitMode::Crop, {885, 0, 2065, 1000}, {32, 0, 288, 200}},
        FitCase{"CropTallCutsTopAndBottom", 1475, 2000, TFitMode::Crop, {0, 800, 1475, 1200}, {0, 60, 320, 140}},
        FitCase{"CropTinyFillsTheScreen", 1, 1, TFitMode::Crop, {0, 0, 1, 1}, {0, 0, 320, 200}},
        FitCase{"PadWideBarsAboveAndBelow", 2950, 1000, TFitMode::Pad, {0, 0, 2950, 1000}, {0, 50, 320, 150}},
        FitCase{"PadTallBarsLeftAndRight", 1475, 2000, TFitMode::Pad, {0, 0, 1475, 2000}, {80, 0, 240, 200}},
        FitCase{"PadSquareIsWiderInScreenPixels", 1, 1, TFitMode::Pad, {0, 0, 1, 1}, {51, 0, 268, 200}},
        FitCase{"PadOneRowKeepsOneScreenRow", 4000, 1, TFitMode::Pad, {0, 0, 4000, 1}, {0, 99, 320, 100}},
        FitCase{"StretchIgnoresProportions", 1000, 1000, TFitMode::Stretch, {0, 250, 1000, 750}, {0, 50, 320, 150}},
        FitCase{"EmptyGivesABlackScreen", 0, 0, TFitMode::Pad, {0, 0, 0, 0}, {0, 0, 0, 0}}),
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

TEST(FitToScreen, OffCopiesThePicture) {
    TPicture source = random(7, 5, 3);
    TPicture result;
    Fit_To_Screen(source, result, TFitMode::Off);
    EXPECT_EQ(result.GetWidth(), 7);
    EXPECT_EQ(rows(result), rows(source));
}

} // namespace
