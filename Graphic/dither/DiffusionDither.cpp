#include "DiffusionDither.h"

#include "ErrorDiffusion.h"

std::unique_ptr<TDitherRun> Start_Floyd_Steinberg_Dither(const InkList& inks, int a, int b, int c,
                                     TLevelReading levels) {
    static const DiffusionKernel kFloydSteinberg = {
        {{1, 0, 7.0f / 16}, {-1, 1, 3.0f / 16}, {0, 1, 5.0f / 16}, {1, 1, 1.0f / 16}},
        true,
        DiffusionChoice::LinearLight};
    return Start_Error_Diffusion(inks, a, b, c, kFloydSteinberg, levels);
}
