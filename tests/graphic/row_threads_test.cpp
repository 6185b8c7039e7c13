#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <vector>

#include "Engine.h"
#include "FitToScreen.h"
#include "LandscapePicture.h"
#include "PictureBuilder.h"
#include "RowThreads.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

struct ParallelPiece {
    const char* name;
    // The bytes the piece makes of the picture.
    std::function<Bytes(TPicture&)> run;
};

Bytes ditherOf(TPicture& source, int local) {
    TPicture map, result;
    InkTable inks;
    Reset_Ink_Table(inks);
    Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, result, map, inks, 30, -20, local);
    return rows(result);
}

Bytes fitOf(TPicture& source, TFitMode mode) {
    TPicture result;
    Fit_To_Screen(source, result, mode);
    return rows(result);
}

const ParallelPiece kPieces[] = {
    {"ContrastMap",
     [](TPicture& s) {
         TPicture map;
         Local_Contrast_Map(s, map);
         return rows(map);
     }},
    {"DitherWithoutLocal", [](TPicture& s) { return ditherOf(s, 0); }},
    {"DitherWithLocal", [](TPicture& s) { return ditherOf(s, -9000); }},
    {"Stretch",
     [](TPicture& s) { return Stretch_Palette(&s) == kStretchDone ? rows(s) : Bytes{}; }},
    {"FitCrop", [](TPicture& s) { return fitOf(s, TFitMode::Crop); }},
    {"FitPad", [](TPicture& s) { return fitOf(s, TFitMode::Pad); }},
    {"FitStretch", [](TPicture& s) { return fitOf(s, TFitMode::Stretch); }},
};

class RowThreadCount : public ::testing::TestWithParam<ParallelPiece> {
  protected:
    void TearDown() override { Set_Row_Threads(0); }
};

TEST_P(RowThreadCount, EveryCountGivesTheBytesOfOneThread) {
    // Large enough to give each of seven threads rows of its own in every
    // piece, the fit included.
    TPicture picture = landscape(1601, 1103);
    const auto runOn = [&](int threads) {
        Set_Row_Threads(threads);
        TPicture source;
        Copy_Picture(source, picture);
        return GetParam().run(source);
    };
    const Bytes alone = runOn(1);
    for (const int threads : {2, 3, 7})
        EXPECT_EQ(runOn(threads), alone) << threads << " threads";
}

INSTANTIATE_TEST_SUITE_P(, RowThreadCount, ::testing::ValuesIn(kPieces),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RowThreads, EveryRowOnceAndABandsErrorRaisedOnTheCaller) {
    Set_Row_Threads(4);
    std::mutex guard;
    std::vector<int> seen(100, 0);
    Run_Over_Rows(100, 10, [&](int first, int last) {
        const std::lock_guard<std::mutex> lock(guard);
        for (int y = first; y < last; ++y)
            ++seen[static_cast<std::size_t>(y)];
    });
    EXPECT_EQ(seen, std::vector<int>(100, 1));
    EXPECT_THROW(Run_Over_Rows(100, 10,
                               [](int first, int) {
                                   if (first > 0)
                                       throw Exception("a band failed");
                               }),
                 Exception);
    Set_Row_Threads(0);
}

} // namespace
