#include "DiffusionDither.h"

#include "ErrorDiffusion.h"

void Floyd_Steinberg_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                            const InkList& inks, int a, int b, int c) {
    static const DiffusionKernel kFloydSteinberg = {
        {{1, 0, 7.0f / 16}, {-1, 1, 3.0f / 16}, {0, 1, 5.0f / 16}, {1, 1, 1.0f / 16}}, true};
    Diffuse_Error(source, result, map, inks, a, b, c, kFloydSteinberg);
}
