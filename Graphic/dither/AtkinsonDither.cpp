#include "AtkinsonDither.h"

#include "ErrorDiffusion.h"

namespace {

const DiffusionKernel& Atkinson_Kernel() {
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
    return kAtkinson;
}

} // namespace

std::shared_ptr<const DiffusionEdges> Prepare_Atkinson_Edges(const TPicture& source,
                                                             const TPicture& map, int a, int b,
                                                             int c, TLevelReading levels) {
    return std::make_shared<const DiffusionEdges>(source, map, a, b, c, Atkinson_Kernel(), levels);
}

std::unique_ptr<TDitherRun> Start_Atkinson_Dither(const InkList& inks, int a, int b, int c,
                                                  TLevelReading levels,
                                                  std::shared_ptr<const DiffusionEdges> edges) {
    return Start_Error_Diffusion(inks, a, b, c, Atkinson_Kernel(), levels, std::move(edges));
}
