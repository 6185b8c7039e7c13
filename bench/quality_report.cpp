// The picture quality report: for each picture file given, fitted to each
// screen mode by cropping, and each dither, the inks chosen automatically
// (all of them, sliders at 0), the blurred error and the lightness SSIM of
// the result (PerceptualMeasure.h; as seen, and pixel for pixel), and the
// time one choice takes, on the clock and in processor time over all
// threads (the best of --runs). Then one table of the means over the pictures, with each
// dither's error as a ratio to the classic dither's in the same mode.
// --out DIR writes every result as DIR/NAME-mMODE-DITHER.png, and each
// made-up picture as DIR/NAME.png.
// --mode N reports that mode alone; --dithers NAME,... those dithers alone
// (the ratio to classic is 0 without classic).
// --inks N,N,... judges those inks instead of the automatic ones in the mode
// that has as many (the time is then 0).
// --closeness also holds the mode 0 swap search to an exhaustive search on
// cases small enough for one: 12 inks kept, the 4 others chosen from 15
// colours (1,365 sets, each dithered and ranked as the search ranks them).
// --plain-pairs sets beside mode 2's ordered4, ordered8 and diffusion the
// plain pair reference (PlainPairReference.h): the best of all 351 pairs
// drawn by a plain Bayer or Floyd-Steinberg dither, and a table of both.
// --synthetic adds the made-up pictures of QualitySynthetics.h: a sky at
// sunset and a night sky among the pictures, then the grey ramp's share of pixels from
// non-neighbouring inks and the pixels of 0/128/255 pixel art that do not
// come back as drawn (these two with every dither only).
//
//   quality_report [--runs N] [--threads N] [--out DIR] [--mode N] [--dithers NAME,...]
//                  [--inks N,...] [--closeness] [--plain-pairs]
//                  [--synthetic] FILE...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "Engine.h"
#include "FitToScreen.h"
#include "ModeInkChoice.h"
#include "PerceptualMeasure.h"
#include "PlainPairReference.h"
#include "QualitySynthetics.h"
#include "SysUtils.h"

namespace {

struct Options {
    int runs = 1;
    int threads = Ink_Search_Control::AllCores();
    std::string out;
    bool closeness = false;
    bool synthetic = false;
    bool plainPairs = false;
    // Only this mode, when 0..2.
    int mode = -1;
    // Inks given instead of the automatic choice, for the mode of their count.
    std::vector<int> inks;
    // Only these dithers, when any are named.
    std::vector<TDither> dithers;
    bool reports(TDither dither) const {
        return dithers.empty() || std::find(dithers.begin(), dithers.end(), dither) != dithers.end();
    }
    std::vector<std::string> files;
};

struct Row {
    double error = 0, ssim = 0, pixelSsim = 0, milliseconds = 0, cpuMilliseconds = 0;
};

std::string baseName(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

std::string numbersText(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers) {
        if (!text.empty())
            text += ',';
        text += IntToStr(n);
    }
    return text;
}

InkList inksOf(const std::vector<int>& numbers) {
    InkList inks;
    for (int n : numbers)
        inks.push_back(Ink_From_Colour_Number(n));
    return inks;
}

// The rank of one set, measured as the search measures it.
double judge(TPicture& source, const TPicture& map, const PerceptualReference& reference,
             TDither dither, const ScreenMode& mode, const std::vector<int>& numbers) {
    TPicture result;
    Mode_Dither(dither, source, result, map, inksOf(numbers), 0, 0, 0, mode);
    return reference.score(result).rank();
}

// Mode 0, diffusion: the swap search against every completion of 12 kept
// inks, once with 12 of the automatic choice's own inks kept, once with 12
// drawn at random.
void closeness(const std::string& name, TPicture& source, const TPicture& map,
               const std::vector<int>& automatic, const Options& options) {
    const ScreenMode& mode = Screen_Mode(0);
    const TDither dither = TDither::Diffusion;
    const PerceptualReference reference(source);
    std::mt19937 generator(11);
    for (int variant = 0; variant < 4; ++variant) {
        std::vector<int> kept = automatic;
        if (variant >= 2) {
            std::vector<int> all(kColourCount);
            std::iota(all.begin(), all.end(), 0);
            std::shuffle(all.begin(), all.end(), generator);
            kept.assign(all.begin(), all.begin() + 16);
        }
        std::vector<int> released(16);
        std::iota(released.begin(), released.end(), 0);
        std::shuffle(released.begin(), released.end(), generator);
        for (int k = 0; k < 4; ++k)
            kept[static_cast<std::size_t>(released[static_cast<std::size_t>(k)])] = kChooseInk;
        Ink_Search_Control control;
        control.threads = options.threads;
        const Mode_Ink_Choice swaps =
            Choose_Mode_Inks(source, map, kept, dither, mode, 0, 0, 0, control, Ink_Search_Way::Swaps);
        const Mode_Ink_Choice every = Choose_Mode_Inks(source, map, kept, dither, mode, 0, 0, 0,
                                                       control, Ink_Search_Way::EverySet);
        std::vector<int> free;
        for (int n = 0; n < kColourCount; ++n)
            if (std::find(kept.begin(), kept.end(), n) == kept.end())
                free.push_back(n);
        std::vector<double> errors;
        std::vector<int> chosen;
        const std::function<void(std::size_t)> visit = [&](std::size_t from) {
            if (chosen.size() == 4) {
                errors.push_back(
                    judge(source, map, reference, dither, mode, Place_Chosen_Inks(kept, chosen)));
                return;
            }
            for (std::size_t i = from; i < free.size(); ++i) {
                chosen.push_back(free[i]);
                visit(i + 1);
                chosen.pop_back();
            }
        };
        visit(0);
        const double best = *std::min_element(errors.begin(), errors.end());
        const double bySwaps = judge(source, map, reference, dither, mode, swaps.numbers);
        const double byEverySet = judge(source, map, reference, dither, mode, every.numbers);
        const auto place = [&](double value) {
            return std::count_if(errors.begin(), errors.end(),
                                 [&](double e) { return e < value - 1e-12; }) + 1;
        };
        std::printf("%-10s %-9s best %7.3f  swaps %7.3f (+%5.2f %%, place %4ld)  every set %7.3f "
                    "(+%5.2f %%, place %4ld) of %zu\n",
                    name.c_str(), variant < 2 ? "own 12" : "random 12", best, bySwaps,
                    100 * (bySwaps / best - 1), place(bySwaps), byEverySet,
                    100 * (byEverySet / best - 1), place(byEverySet), errors.size());
    }
}

void report(const Options& options) {
    // Means per mode and dither over the pictures.
    std::map<std::pair<int, int>, std::vector<Row>> rows;
    // Mode 2 per dither: Tintora's row and the plain pair reference's, per picture.
    std::map<int, std::vector<std::pair<Row, Row>>> plainRows;
    std::printf("%-10s %4s %-10s %-40s %8s %7s %7s %9s %9s\n", "picture", "mode", "dither", "inks",
                "error", "SSIM", "px SSIM", "ms", "cpu ms");
    // A made-up picture is named with a leading colon.
    std::vector<std::string> pictures = options.files;
    if (options.synthetic) {
        pictures.push_back(":sky");
        pictures.push_back(":darksky");
    }
    for (const std::string& file : pictures) {
        TPicture original = quality_synthetics::pictureOf(file);
        const std::string name = file[0] == ':' ? file.substr(1) : baseName(file);
        if (!options.out.empty() && file[0] == ':')
            original.SaveToFile(options.out + "/" + name + ".png", TPictureFileFormat::Png);
        for (const ScreenMode& mode : kScreenModes) {
            if (options.mode >= 0 && mode.number != options.mode)
                continue;
            TPicture source, map;
            Fit_To_Screen(original, source, TFitMode::Crop, mode);
            Local_Contrast_Map(source, map);
            const PerceptualReference reference(source);
            std::vector<int> diffusionInks;
            for (std::size_t d = 0; d < kDithers.size(); ++d) {
                const TDither dither = kDithers[d].dither;
                if (!options.reports(dither))
                    continue;
                Ink_Search_Control control;
                control.threads = options.threads;
                Mode_Ink_Choice choice;
                double best = 1e300, bestCpu = 1e300;
                const bool given = static_cast<int>(options.inks.size()) == mode.inkCount;
                if (given) {
                    choice.numbers = options.inks;
                    best = bestCpu = 0;
                }
                for (int run = 0; run < (given ? 0 : options.runs); ++run) {
                    const std::clock_t cpuStart = std::clock();
                    const auto start = std::chrono::steady_clock::now();
                    choice = Choose_Mode_Inks(source, map,
                                              std::vector<int>(static_cast<std::size_t>(mode.inkCount), kChooseInk),
                                              dither, mode, 0, 0, 0, control);
                    const std::chrono::duration<double, std::milli> took =
                        std::chrono::steady_clock::now() - start;
                    best = std::min(best, took.count());
                    bestCpu = std::min(bestCpu, 1000.0 * static_cast<double>(std::clock() - cpuStart) /
                                                    CLOCKS_PER_SEC);
                }
                TPicture result;
                Mode_Dither(dither, source, result, map, inksOf(choice.numbers), 0, 0, 0, mode);
                const Row row{reference.blurredError(result), reference.lightnessSsim(result),
                              reference.lightnessSsim(result, SsimView::PixelForPixel), best, bestCpu};
                rows[{mode.number, static_cast<int>(d)}].push_back(row);
                std::printf("%-10s %4d %-10s %-40s %8.3f %7.4f %7.4f %9.1f %9.1f\n", name.c_str(),
                            mode.number, kDithers[d].name, numbersText(choice.numbers).c_str(),
                            row.error, row.ssim, row.pixelSsim, row.milliseconds,
                            row.cpuMilliseconds);
                std::fflush(stdout);
                if (!options.out.empty())
                    result.SaveToFile(options.out + "/" + name + "-m" + IntToStr(mode.number) + "-" +
                                          kDithers[d].name + ".png",
                                      TPictureFileFormat::Png);
                if (dither == TDither::Diffusion)
                    diffusionInks = choice.numbers;
                const int plainSize = dither == TDither::Diffusion  ? 0
                                      : dither == TDither::Ordered4 ? 4
                                      : dither == TDither::Ordered8 ? 8
                                                                    : -1;
                if (options.plainPairs && mode.number == 2 && plainSize >= 0) {
                    const plain_pairs::Best plain = plain_pairs::bestPair(source, reference, plainSize);
                    const Row plainRow{plain.score.error, plain.score.ssim,
                                       reference.lightnessSsim(plain.result, SsimView::PixelForPixel)};
                    plainRows[static_cast<int>(d)].push_back({row, plainRow});
                    std::printf("%-10s %4d %-10s %-40s %8.3f %7.4f %7.4f   (plain pair reference)\n",
                                name.c_str(), mode.number, kDithers[d].name,
                                numbersText({plain.low, plain.high}).c_str(), plainRow.error,
                                plainRow.ssim, plainRow.pixelSsim);
                    if (!options.out.empty())
                        plain.result.SaveToFile(options.out + "/" + name + "-m2-" + kDithers[d].name +
                                                    "-plain.png",
                                                TPictureFileFormat::Png);
                }
            }
            if (options.closeness && mode.number == 0)
                closeness(name, source, map, diffusionInks, options);
        }
    }
    std::printf("\nMeans over %zu pictures; error ratio against classic in the same mode\n",
                pictures.size());
    std::printf("%4s %-10s %8s %8s %7s %7s %9s %9s %9s\n", "mode", "dither", "error", "ratio",
                "SSIM", "px SSIM", "mean ms", "max ms", "cpu ms");
    for (const ScreenMode& mode : kScreenModes) {
        if (options.mode >= 0 && mode.number != options.mode)
            continue;
        const auto mean = [&](int d, double Row::*field) {
            const std::vector<Row>& r = rows[{mode.number, d}];
            double sum = 0;
            for (const Row& row : r)
                sum += row.*field;
            return sum / static_cast<double>(r.size());
        };
        for (std::size_t d = 0; d < kDithers.size(); ++d) {
            const int i = static_cast<int>(d);
            if (!options.reports(kDithers[d].dither))
                continue;
            double most = 0;
            for (const Row& row : rows[{mode.number, i}])
                most = std::max(most, row.milliseconds);
            std::printf("%4d %-10s %8.3f %8.3f %7.4f %7.4f %9.1f %9.1f %9.1f\n", mode.number,
                        kDithers[d].name, mean(i, &Row::error),
                        options.reports(TDither::Classic) ? mean(i, &Row::error) / mean(0, &Row::error)
                                                          : 0.0,
                        mean(i, &Row::ssim),
                        mean(i, &Row::pixelSsim), mean(i, &Row::milliseconds), most,
                        mean(i, &Row::cpuMilliseconds));
        }
    }
    if (!plainRows.empty()) {
        std::printf("\nMode 2 against the plain pair reference (means over the pictures; rank = "
                    "error / SSIM, per picture)\n");
        std::printf("%-10s %8s %7s %8s   %8s %7s %8s   %8s %s\n", "dither", "error", "SSIM", "rank",
                    "plain", "SSIM", "rank", "ratio", "pictures worse by rank");
        for (const auto& [d, pairs] : plainRows) {
            double error = 0, ssim = 0, rank = 0, plainError = 0, plainSsim = 0, plainRank = 0;
            int worse = 0;
            for (const auto& [own, plain] : pairs) {
                const PerceptualScore ownScore{own.error, own.ssim}, plainScore{plain.error, plain.ssim};
                error += own.error;
                ssim += own.ssim;
                rank += ownScore.rank();
                plainError += plain.error;
                plainSsim += plain.ssim;
                plainRank += plainScore.rank();
                worse += ownScore.rank() > plainScore.rank();
            }
            const double n = static_cast<double>(pairs.size());
            std::printf("%-10s %8.3f %7.4f %8.3f   %8.3f %7.4f %8.3f   %8.3f %d of %zu\n",
                        kDithers[static_cast<std::size_t>(d)].name, error / n, ssim / n, rank / n,
                        plainError / n, plainSsim / n, plainRank / n, error / plainError, worse,
                        pairs.size());
        }
    }
    if (options.synthetic && options.dithers.empty()) {
        quality_synthetics::greyRamp();
        quality_synthetics::pixelArt(options.threads);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--closeness")
            options.closeness = true;
        else if (argument == "--plain-pairs")
            options.plainPairs = true;
        else if (argument == "--synthetic")
            options.synthetic = true;
        else if (argument == "--out" && i + 1 < argc)
            options.out = argv[++i];
        else if (argument == "--inks" && i + 1 < argc) {
            std::string list = argv[++i];
            for (std::size_t comma; (comma = list.find(',')) != std::string::npos;
                 list.erase(0, comma + 1))
                options.inks.push_back(StrToInt(list.substr(0, comma)));
            options.inks.push_back(StrToInt(list));
        } else if (argument == "--dithers" && i + 1 < argc) {
            std::string list = argv[++i];
            for (std::size_t comma; (comma = list.find(',')) != std::string::npos;
                 list.erase(0, comma + 1))
                options.dithers.push_back(Dither_From_Name(list.substr(0, comma)));
            options.dithers.push_back(Dither_From_Name(list));
        } else if (argument == "--mode" && i + 1 < argc)
            options.mode = std::clamp(StrToInt(argv[++i]), 0, 2);
        else if ((argument == "--runs" || argument == "--threads") && i + 1 < argc)
            (argument == "--runs" ? options.runs : options.threads) = std::max(1, StrToInt(argv[++i]));
        else
            options.files.push_back(argument);
    }
    if (options.files.empty() && !options.synthetic) {
        std::fprintf(stderr, "usage: quality_report [--runs N] [--threads N] [--out DIR] "
                             "[--mode N] [--dithers NAME,...] [--inks N,...] [--closeness] [--plain-pairs] "
                             "[--synthetic] FILE...\n");
        return 2;
    }
    try {
        report(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quality_report: %s\n", ErrorText(error).c_str());
        return 1;
    }
    return 0;
}
