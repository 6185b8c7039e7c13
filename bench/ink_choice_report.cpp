// Reports the automatic ink choice for pictures: for each picture file given,
// fitted to the screen by cropping when --crop is given, the inks chosen (all
// four, sliders at 0), their error under the measure, the error of the
// window's start inks, and the time one choice takes (the best of several
// runs, from reading the cells to the chosen set).
//
//   ink_choice_report [--runs N] [--threads N] [--crop] FILE...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Engine.h"
#include "FitToScreen.h"
#include "InkChoice.h"
#include "SysUtils.h"

namespace {

std::string numbersText(const InkNumbers& numbers) {
    return IntToStr(numbers[0]) + "," + IntToStr(numbers[1]) + "," + IntToStr(numbers[2]) + "," +
           IntToStr(numbers[3]);
}

void report(const std::string& file, int runs, int threads, bool crop) {
    TPicture source, map;
    source.LoadFromFile(file);
    if (crop) {
        TPicture fitted;
        Fit_To_Screen(source, fitted, TFitMode::Crop);
        source = std::move(fitted);
    }
    Local_Contrast_Map(source, map);
    Ink_Search_Control control;
    control.threads = threads;
    Ink_Choice choice;
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const Ink_Search_Cells cells = Ink_Search_Cells_Of(source, map, 0, 0, 0);
        choice = Choose_Inks(cells, {kChooseInk, kChooseInk, kChooseInk, kChooseInk}, control);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    const Ink_Search_Cells cells = Ink_Search_Cells_Of(source, map, 0, 0, 0);
    InkTable start;
    Reset_Ink_Table(start);
    const double startError = Ink_Table_Error(source, map, start, cells);
    std::printf("%s (%d x %d, %zu cells judged)\n", file.c_str(), source.GetWidth(),
                source.GetHeight(), cells.colour.size());
    std::printf("  chosen inks  %-12s error %.6f\n", numbersText(choice.numbers).c_str(),
                choice.error);
    std::printf("  start inks   %-12s error %.6f (%.2f x the chosen)\n", "0,3,15,26", startError,
                startError / choice.error);
    std::printf("  time per choice %.1f ms (best of %d, %d threads)\n", best, runs, threads);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool crop = false;
    int threads = Ink_Search_Control::AllCores();
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--crop")
            crop = true;
        else if ((argument == "--runs" || argument == "--threads") && i + 1 < argc)
            (argument == "--runs" ? runs : threads) = std::max(1, StrToInt(argv[++i]));
        else
            files.push_back(argument);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: ink_choice_report [--runs N] [--threads N] [--crop] FILE...\n");
        return 2;
    }
    try {
        for (const std::string& file : files)
            report(file, runs, threads, crop);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ink_choice_report: %s\n", ErrorText(error).c_str());
        return 1;
    }
    return 0;
}
