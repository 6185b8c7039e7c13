// The CPC+ palette's picture quality beside the CPC's: for each picture file
// given, fitted to each screen mode by cropping, and each dither, the inks
// chosen automatically from each palette (all of them, sliders at 0), the
// blurred error of each result (PerceptualMeasure.h), the plus error as a
// ratio to the cpc one, and the time the plus choice takes, on the clock and
// in processor time over all threads (the best of --runs). Then the means
// over the pictures, the ratio of the means beside the mean of the ratios.
//
//   plus_quality_report [--runs N] [--threads N] [--mode N] [--dither NAME] FILE...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "CpcPalette.h"
#include "Engine.h"
#include "FitToScreen.h"
#include "PaletteInkChoice.h"
#include "PerceptualMeasure.h"
#include "SysUtils.h"

namespace {

struct Options {
    int runs = 1;
    int threads = Ink_Search_Control::AllCores();
    int mode = -1;
    std::string dither;
    std::vector<std::string> files;
};

struct Row {
    double cpc = 0, plus = 0, ssim = 0, milliseconds = 0, cpuMilliseconds = 0;
};

std::string baseName(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

std::string inksText(const Palette& palette, const std::vector<int>& colours) {
    std::string text;
    for (const int colour : colours) {
        if (!text.empty())
            text += ',';
        text += Palette_Colour_Text(palette, colour);
    }
    return text;
}

void report(const Options& options) {
    std::map<std::pair<int, int>, std::vector<Row>> rows;
    std::printf("%-10s %4s %-10s %8s %8s %6s %7s %8s %8s  %s\n", "picture", "mode", "dither", "cpc err", "plus err",
                "ratio", "SSIM", "ms", "cpu ms", "plus inks");
    for (const std::string& file : options.files) {
        TPicture original;
        original.LoadFromFile(file);
        for (const ScreenMode& mode : kScreenModes) {
            if (options.mode >= 0 && mode.number != options.mode)
                continue;
            TPicture source, map;
            Fit_To_Screen(original, source, TFitMode::Crop, mode);
            const PerceptualReference reference(source);
            const std::vector<int> all(static_cast<std::size_t>(mode.inkCount), kChooseInk);
            for (std::size_t d = 0; d < kDithers.size(); ++d) {
                if (!options.dither.empty() && options.dither != kDithers[d].name)
                    continue;
                const TDither dither = kDithers[d].dither;
                Ink_Search_Control control;
                control.threads = options.threads;
                Row row{};
                const Palette& cpc = Palette_Of(TPalette::Cpc);
                const Palette& plus = Palette_Of(TPalette::Plus);
                TPicture result;
                const Mode_Ink_Choice cpcChoice =
                    Choose_Palette_Inks(cpc, source, map, all, dither, mode, 0, 0, 0, control);
                Mode_Dither(dither, source, result, map, Palette_Inks(cpc, cpcChoice.numbers), 0, 0, 0, mode);
                row.cpc = reference.blurredError(result);
                Mode_Ink_Choice plusChoice;
                row.milliseconds = row.cpuMilliseconds = 1e300;
                for (int run = 0; run < options.runs; ++run) {
                    const std::clock_t cpuStart = std::clock();
                    const auto start = std::chrono::steady_clock::now();
                    plusChoice = Choose_Palette_Inks(plus, source, map, all, dither, mode, 0, 0, 0, control);
                    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
                    row.milliseconds = std::min(row.milliseconds, took.count());
                    row.cpuMilliseconds = std::min(
                        row.cpuMilliseconds, 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
                }
                Mode_Dither(dither, source, result, map, Palette_Inks(plus, plusChoice.numbers), 0, 0, 0, mode);
                row.plus = reference.blurredError(result);
                row.ssim = reference.lightnessSsim(result);
                rows[{mode.number, static_cast<int>(d)}].push_back(row);
                std::printf("%-10s %4d %-10s %8.3f %8.3f %6.3f %7.4f %8.1f %8.1f  %s\n", baseName(file).c_str(),
                            mode.number, kDithers[d].name, row.cpc, row.plus, row.plus / row.cpc, row.ssim,
                            row.milliseconds, row.cpuMilliseconds, inksText(plus, plusChoice.numbers).c_str());
                std::fflush(stdout);
            }
        }
    }
    std::printf("\nMeans over %zu pictures\n", options.files.size());
    std::printf("%4s %-10s %8s %8s %9s %9s %7s %8s %8s %8s\n", "mode", "dither", "cpc err", "plus err", "ratio",
                "mean rat", "SSIM", "mean ms", "max ms", "cpu ms");
    for (const auto& [key, list] : rows) {
        Row mean{}, most{};
        double ratios = 0;
        for (const Row& row : list) {
            mean.cpc += row.cpc / static_cast<double>(list.size());
            mean.plus += row.plus / static_cast<double>(list.size());
            mean.ssim += row.ssim / static_cast<double>(list.size());
            mean.milliseconds += row.milliseconds / static_cast<double>(list.size());
            mean.cpuMilliseconds += row.cpuMilliseconds / static_cast<double>(list.size());
            most.milliseconds = std::max(most.milliseconds, row.milliseconds);
            ratios += row.plus / row.cpc / static_cast<double>(list.size());
        }
        std::printf("%4d %-10s %8.3f %8.3f %9.3f %9.3f %7.4f %8.1f %8.1f %8.1f\n", key.first,
                    kDithers[static_cast<std::size_t>(key.second)].name, mean.cpc, mean.plus, mean.plus / mean.cpc,
                    ratios, mean.ssim, mean.milliseconds, most.milliseconds, mean.cpuMilliseconds);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--mode" && i + 1 < argc)
            options.mode = std::clamp(StrToInt(argv[++i]), 0, 2);
        else if (argument == "--dither" && i + 1 < argc)
            options.dither = argv[++i];
        else if ((argument == "--runs" || argument == "--threads") && i + 1 < argc)
            (argument == "--runs" ? options.runs : options.threads) = std::max(1, StrToInt(argv[++i]));
        else
            options.files.push_back(argument);
    }
    if (options.files.empty()) {
        std::fprintf(stderr, "usage: plus_quality_report [--runs N] [--threads N] [--mode N] [--dither NAME] FILE...\n");
        return 2;
    }
    try {
        report(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plus_quality_report: %s\n", ErrorText(error).c_str());
        return 1;
    }
    return 0;
}
