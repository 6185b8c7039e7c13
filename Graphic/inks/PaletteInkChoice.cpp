#include "PaletteInkChoice.h"

#include "PlusInkChoice.h"

Mode_Ink_Choice Choose_Palette_Inks(const Palette& palette, TPicture& source, const TPicture& map,
                                    const std::vector<int>& kept, TDither dither, const ScreenMode& mode, int a,
                                    int b, int c, const Ink_Search_Control& control) {
    if (palette.id == TPalette::Plus)
        return Choose_Plus_Inks(source, map, kept, dither, mode, a, b, c, control);
    return Choose_Mode_Inks(source, map, kept, dither, mode, a, b, c, control);
}
