#include "NearestDither.h"

#include "OrderedDither.h"

// A one-pixel matrix mixes in one part: the mix is a single ink, the nearest.
void Nearest_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                    const InkList& inks, int a, int b, int c) {
    Ordered_Dither(source, result, map, inks, a, b, c, 1);
}
