#include "PaletteInkChoice.h"

#include "PaletteSwitch.h"

Mode_Ink_Choice Choose_Palette_Inks(const Palette& palette, TPicture& source, const TPicture& map,
                                    const std::vector<int>& kept, TDither dither, const ScreenMode& mode, int a,
                                    int b, int c, const Ink_Search_Control& control) {
    if (palette.id == TPalette::Cpc)
        return Choose_Mode_Inks(source, map, kept, dither, mode, a, b, c, control);
    const Palette& cpc = Palette_Of(TPalette::Cpc);
    std::vector<int> keptCpc = kept;
    for (int& colour : keptCpc)
        if (colour != kChooseInk)
            colour = Palette_Colour_For(cpc, Palette_Ink(palette, colour));
    Mode_Ink_Choice choice = Choose_Mode_Inks(source, map, keptCpc, dither, mode, a, b, c, control);
    if (choice.cancelled)
        return choice;
    for (std::size_t k = 0; k < choice.numbers.size(); ++k)
        choice.numbers[k] = k < kept.size() && kept[k] != kChooseInk
                                ? kept[k]
                                : Palette_Colour_For(palette, Palette_Ink(cpc, choice.numbers[k]));
    return choice;
}
