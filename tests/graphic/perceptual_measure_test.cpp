#include <gtest/gtest.h>

#include <limits>

#include "Dithers.h"
#include "PairJudge.h"
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

// The pair judge scores as the measure does, and gives up a result only
// when its rank is sure to exceed the one to beat.
TEST(PairJudge, ScoresAsTheMeasureAndGivesUpOnlyWhatCannotWin) {
    TPicture source = random(64, 60, 7), map;
    const PerceptualReference reference(source);
    const PairJudge judge(reference);
    const InkList inks = {{0, 0, 127}, {254, 254, 0}};
    for (TDither dither : {TDither::Ordered4, TDither::Diffusion, TDither::Classic}) {
        TPicture plain;
        Mode_Dither(dither, source, plain, map, inks, 0, 0, 0, Screen_Mode(2));
        const PerceptualScore truth = reference.score(plain);
        const auto scored = [&](double beat) {
            TPicture result;
            const auto run = Start_Mode_Dither(dither, source, result, map, inks, 0, 0, 0, Screen_Mode(2));
            return judge.score(*run, source, map, result, inks[0], inks[1], beat);
        };
        const auto free = scored(std::numeric_limits<double>::infinity());
        ASSERT_TRUE(free.has_value()) << Dither_Info(dither).name;
        EXPECT_NEAR(free->error, truth.error, 1e-4 * truth.error) << Dither_Info(dither).name;
        EXPECT_NEAR(free->ssim, truth.ssim, 1e-4) << Dither_Info(dither).name;
        EXPECT_TRUE(scored(truth.rank()).has_value()) << Dither_Info(dither).name;
        EXPECT_FALSE(scored(0.9 * truth.error).has_value()) << Dither_Info(dither).name;
    }
}

// The bound gives up no pair at its own rank, whatever the pair and the
// picture: a pair is given up only when it cannot reach the rank to beat.
TEST(PairJudge, GivesUpNoPairAtItsOwnRank) {
    TPicture ramp = filled(48, 40, 0, 0, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x)
            setPixel(ramp, x, y, static_cast<std::uint8_t>(5 * x), static_cast<std::uint8_t>(6 * y),
                     static_cast<std::uint8_t>(255 - 5 * x));
    const InkList pairs[] = {{{0, 0, 0}, {254, 254, 254}}, {{127, 0, 0}, {0, 254, 127}},
                             {{0, 127, 254}, {254, 127, 0}}, {{127, 127, 127}, {254, 254, 127}}};
    TPicture noise = random(40, 36, 11);
    for (TPicture* picture : {&noise, &ramp}) {
        TPicture& source = *picture;
        TPicture map;
        const PerceptualReference reference(source);
        const PairJudge judge(reference);
        for (const InkList& inks : pairs)
            for (TDither dither : {TDither::Atkinson, TDither::Ordered4}) {
                TPicture plain, result;
                Mode_Dither(dither, source, plain, map, inks, 0, 0, 0, Screen_Mode(2));
                const auto run = Start_Mode_Dither(dither, source, result, map, inks, 0, 0, 0, Screen_Mode(2));
                EXPECT_TRUE(judge.score(*run, source, map, result, inks[0], inks[1],
                                        reference.score(plain).rank())
                                .has_value())
                    << Dither_Info(dither).name << " " << int(inks[0].r) << " " << int(inks[1].r);
            }
    }
}

} // namespace
