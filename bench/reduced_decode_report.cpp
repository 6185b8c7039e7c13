// Reports how far a JPEG decoded no larger than the crop fit needs moves from
// a full decode, for each picture file given: the reduction used, the mean
// and largest difference of each channel (blue, green, red) of the fitted
// 320 x 200 pictures, and how many pixels of the converted screen change,
// both with the inks chosen automatically on the full decode and with inks
// chosen on each picture by itself.
//
//   reduced_decode_report FILE...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Engine.h"
#include "FitToScreen.h"
#include "InkChoice.h"
#include "SysUtils.h"

namespace {

TPicture fitted(const std::string& file, bool reduced) {
    TPicture loaded, screen;
    loaded.LoadFromFile(file, [reduced](int width, int height) {
        return reduced ? Fit_Decode_Divisor(width, height, TFitMode::Crop) : 1;
    });
    Fit_To_Screen(loaded, screen, TFitMode::Crop);
    return screen;
}

InkTable autoInks(const TPicture& screen) {
    Ink_Search_Control control;
    control.threads = Ink_Search_Control::AllCores();
    const TPicture noMap;
    return Inks_Of_Numbers(Choose_Inks(Ink_Search_Cells_Of(screen, noMap, 0, 0, 0),
                                       {kChooseInk, kChooseInk, kChooseInk, kChooseInk}, control)
                               .numbers);
}

int changedPixels(TPicture& a, const InkTable& inksA, TPicture& b, const InkTable& inksB) {
    const TPicture noMap;
    TPicture resultA, resultB;
    CPC_Mode1_Dither(a, resultA, noMap, inksA, 0, 0, 0);
    CPC_Mode1_Dither(b, resultB, noMap, inksB, 0, 0, 0);
    int changed = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            changed +=
                !std::equal(resultA.GetScanline(y) + 3 * x, resultA.GetScanline(y) + 3 * x + 3,
                            resultB.GetScanline(y) + 3 * x);
    return changed;
}

void report(const std::string& file) {
    TPicture probe;
    probe.LoadFromFile(file);
    const int divisor = Fit_Decode_Divisor(probe.GetWidth(), probe.GetHeight(), TFitMode::Crop);
    TPicture full = fitted(file, false), reduced = fitted(file, true);
    double mean[3] = {0, 0, 0};
    int largest[3] = {0, 0, 0};
    for (int y = 0; y < kScreenHeight; ++y)
        for (int i = 0; i < 3 * kScreenWidth; ++i) {
            const int d = std::abs(full.GetScanline(y)[i] - reduced.GetScanline(y)[i]);
            mean[i % 3] += d;
            largest[i % 3] = std::max(largest[i % 3], d);
        }
    for (double& m : mean)
        m /= kScreenWidth * kScreenHeight;
    const InkTable fullInks = autoInks(full), reducedInks = autoInks(reduced);
    std::printf("%-28s %5d x %-5d 1/%d  mean %.2f %.2f %.2f  largest %3d %3d %3d  changed pixels: "
                "same inks %5d, "
                "own inks %5d (%s)\n",
                file.substr(file.find_last_of('/') + 1).c_str(), probe.GetWidth(),
                probe.GetHeight(), divisor, mean[0], mean[1], mean[2], largest[0], largest[1],
                largest[2], changedPixels(full, fullInks, reduced, fullInks),
                changedPixels(full, fullInks, reduced, reducedInks),
                fullInks == reducedInks ? "same inks chosen" : "other inks chosen");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: reduced_decode_report FILE...\n");
        return 2;
    }
    try {
        for (int i = 1; i < argc; ++i)
            report(argv[i]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
