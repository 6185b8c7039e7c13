#include "PaletteSwitch.h"

#include "PaletteGroup.h"

int Palette_Colour_For(const Palette& to, const Ink& ink) {
    const Palette& cpc = Palette_Of(TPalette::Cpc);
    if (to.id == TPalette::Cpc)
        return Nearest_Palette_Colour(cpc, ink);
    // Through the CPC colour, so that 128 and 255, as the start inks hold
    // them, count as 127 and 254 do.
    return Nearest_Palette_Colour(to, Palette_Ink(cpc, Nearest_Palette_Colour(cpc, ink)));
}

TColor Palette_Swatch_Colour(const Palette& palette, int colour) {
    if (palette.id == TPalette::Cpc)
        return Swatch_Colour_Of(colour);
    const Ink ink = Palette_Ink(palette, colour);
    return TColor{ink.r, ink.g, ink.b};
}
