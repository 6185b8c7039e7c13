// How closely error diffusion's ink search on a copy half the screen's size
// each way follows the same search on the whole screen: the automatic inks of
// the ordered dithers are held to the half-size search's set, which costs a
// quarter as much. For each picture file (cropped to the screen) and the
// sky and night sky of QualitySynthetics.h, in modes 0 and 1: both sets, the
// processor time of each search (one thread), and each set's rank (blurred
// error / lightness SSIM, what the search ranks by) on the whole screen by
// diffusion and by the three ordered dithers. The searches are the ones the
// candidate runs: every set ranked in mode 1, swaps in mode 0, without the
// candidates the automatic choice is held to.
//
//   half_diffusion_report FILE...
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "Engine.h"
#include "FitToScreen.h"
#include "ModeInkChoice.h"
#include "PerceptualMeasure.h"
#include "QualitySynthetics.h"

namespace {

double rankOf(TPicture& source, const TPicture& map, const PerceptualReference& reference,
              TDither dither, const ScreenMode& mode, const std::vector<int>& numbers) {
    TPicture result;
    Mode_Dither(dither, source, result, map, Ink_List_Of_Numbers(numbers), 0, 0, 0, mode);
    return reference.score(result).rank();
}

std::string numbersText(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers) {
        if (!text.empty())
            text += ',';
        text += std::to_string(n);
    }
    return text;
}

// The search's set and its processor seconds.
std::pair<std::vector<int>, double> diffusionSet(TPicture& picture, const TPicture& map,
                                                 const ScreenMode& mode) {
    Ink_Search_Control control;
    control.threads = 1;
    const std::clock_t start = std::clock();
    const std::vector<int> numbers =
        Choose_Mode_Inks(picture, map, std::vector<int>(static_cast<std::size_t>(mode.inkCount), kChooseInk),
                         TDither::Diffusion, mode, 0, 0, 0, control,
                         mode.number == 1 ? Ink_Search_Way::EverySet : Ink_Search_Way::Swaps)
            .numbers;
    return {numbers, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files(argv + 1, argv + argc);
    files.push_back(":sky");
    files.push_back(":darksky");
    std::printf("%-18s %4s %5s %-40s %7s %7s %7s %7s %7s\n", "picture", "mode", "size", "inks",
                "cpu s", "diff", "ord2", "ord4", "ord8");
    int same[2] = {0, 0}, pictures = 0;
    for (const std::string& file : files) {
        TPicture original = quality_synthetics::pictureOf(file);
        std::string name = file.substr(file.find_last_of("/:") + 1);
        name = name.substr(0, name.find('.'));
        ++pictures;
        for (int m : {0, 1}) {
            const ScreenMode& mode = Screen_Mode(m);
            ScreenMode half = mode;
            half.width /= 2;
            half.height /= 2;
            TPicture source, map, small, smallMap;
            Fit_To_Screen(original, source, TFitMode::Crop, mode);
            Local_Contrast_Map(source, map);
            Fit_To_Screen(source, small, TFitMode::Stretch, half);
            Local_Contrast_Map(small, smallMap);
            const PerceptualReference reference(source);
            const auto whole = diffusionSet(source, map, mode), halved = diffusionSet(small, smallMap, half);
            same[m] += whole.first == halved.first;
            for (const auto* set : {&whole, &halved}) {
                std::printf("%-18s %4d %5s %-40s %7.3f", name.c_str(), m, set == &whole ? "whole" : "half",
                            numbersText(set->first).c_str(), set->second);
                for (TDither dither : {TDither::Diffusion, TDither::Ordered2, TDither::Ordered4, TDither::Ordered8})
                    std::printf(" %7.3f", rankOf(source, map, reference, dither, mode, set->first));
                std::printf("\n");
            }
        }
    }
    std::printf("\nThe same set at half size: mode 0 %d, mode 1 %d of %d pictures\n", same[0], same[1],
                pictures);
}
