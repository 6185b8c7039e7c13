#include <gtest/gtest.h>

#include "PerceptualMeasure.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

// Black and white pixels in a checkerboard.
TPicture checkerboard(int width, int height) {
    TPicture picture = filled(width, height, 0, 0, 0);
    for (int y = 0; y < height; ++y)
        for (int x = (y % 2); x < width; x += 2)
            setPixel(picture, x, y, 255, 255, 255);
    return picture;
}

TEST(PerceptualMeasure, FindsNothingBetweenAPictureAndItself) {
    TPicture picture = random(17, 9, 3);
    const PerceptualReference reference(picture);
    EXPECT_EQ(reference.blurredError(picture), 0);
    EXPECT_NEAR(reference.lightnessSsim(picture), 1, 1e-6);
    EXPECT_NEAR(reference.lightnessSsim(picture, SsimView::PixelForPixel), 1, 1e-6);
}

// The eye blends a fine checkerboard of black and white into the grey of
// half the light (sRGB 188), not into the grey halfway between the bytes.
TEST(PerceptualMeasure, BlendsNeighboursInLinearLight) {
    const TPicture checks = checkerboard(24, 24);
    const PerceptualReference halfLight(filled(24, 24, 188, 188, 188));
    const PerceptualReference halfBytes(filled(24, 24, 128, 128, 128));
    EXPECT_LT(halfLight.blurredError(checks), 1.0);
    EXPECT_GT(halfBytes.blurredError(checks), 15.0);
    // Pixel for pixel, the pattern is nothing like a flat grey; as seen, it nearly is.
    EXPECT_LT(halfLight.lightnessSsim(checks, SsimView::PixelForPixel), 0.1);
    EXPECT_GT(halfLight.lightnessSsim(checks), 0.9);
}

TEST(PerceptualMeasure, RefusesAResultOfAnotherSize) {
    const PerceptualReference reference(filled(4, 4, 0, 0, 0));
    EXPECT_THROW(reference.blurredError(filled(4, 5, 0, 0, 0)), Exception);
    EXPECT_THROW(reference.lightnessSsim(filled(5, 4, 0, 0, 0)), Exception);
}

} // namespace
