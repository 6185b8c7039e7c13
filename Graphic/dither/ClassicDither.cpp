#include "ClassicDither.h"

void Classic_Level_Dither(const TPicture& source, TPicture& result, const TPicture& map,
                          const InkList& inks, int a, int b, int c) {
    Start_Classic_Dither(inks, a, b, c)->Rows(source, result, map, 0, source.GetHeight());
}
