#include "AtkinsonDither.h"

#include "ErrorDiffusion.h"

std::unique_ptr<TDitherRun> Start_Atkinson_Dither(const InkList& inks, int a, int b, int c,
                                     TLevelReading levels) {
    constexpr float kEighth = 1.0f / 8;
    static const DiffusionKernel kAtkinson = {{{1, 0, kEighth},
                                               {2, 0, kEighth},
                                               {-1, 1, kEighth},
                                               {0, 1, kEighth},
                                               {1, 1, kEighth},
                                               {0, 2, kEighth}},
                                              true,
                                              DiffusionChoice::OkLab,
                                              kAtkinsonEdgeDistance};
    return Start_Error_Diffusion(inks, a, b, c, kAtkinson, levels);
}
