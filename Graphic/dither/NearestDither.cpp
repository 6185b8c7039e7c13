#include "NearestDither.h"

#include "OrderedDither.h"

// A one-pixel matrix mixes in one part: the mix is a single ink, the nearest.
std::unique_ptr<TDitherRun> Start_Nearest_Dither(const InkList& inks, int a, int b, int c,
                                                 TLevelReading levels) {
    return Start_Ordered_Dither(inks, a, b, c, 1, levels);
}
