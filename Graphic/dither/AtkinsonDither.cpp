#include "AtkinsonDither.h"

#include "ErrorDiffusion.h"

void Atkinson_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                     const InkList& inks, int a, int b, int c) {
    constexpr float kEighth = 1.0f / 8;
    static const DiffusionKernel kAtkinson = {{{1, 0, kEighth},
                                               {2, 0, kEighth},
                                               {-1, 1, kEighth},
                                               {0, 1, kEighth},
                                               {1, 1, kEighth},
                                               {0, 2, kEighth}},
                                              false};
    Diffuse_Error(source, result, map, inks, a, b, c, kAtkinson);
}
