// The palette: the colours an ink can take, the CPC's 27 or the CPC+'s 4,096.
// Menu commands handled here:
//   Palette > CPC+ colours: PlusColoursClick

#include "Unit1.h"

#include "PaletteGroup.h"
#include "PaletteSwitch.h"
#include "SysUtils.h"
#include "Unit1Steps.h"

const ::Palette& TForm1::InkPalette() const {
    return Palette_Of(ColourPalette);
}

Ink TForm1::inkAt(int k) const {
    if (k < 0 || k >= kMaxInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: the inks are 0 to 15");
    return k < kInkCount ? Inks[static_cast<std::size_t>(k)] : UpperInks[static_cast<std::size_t>(k - kInkCount)];
}

void TForm1::SetInkColour(int k, int colour) {
    const ::Palette& palette = InkPalette();
    const Ink ink = Palette_Ink(palette, colour);
    Palette->SetInk(k, Palette_Swatch_Colour(palette, colour), Palette_Colour_Text(palette, colour));
    if (k < kInkCount)
        Inks[static_cast<std::size_t>(k)] = ink;
    else
        UpperInks[static_cast<std::size_t>(k - kInkCount)] = ink;
}

void TForm1::SetInkNumber(int k, int colourNumber) {
    SetInkColour(k, Palette_Colour_For(InkPalette(), Palette_Ink(Palette_Of(TPalette::Cpc), colourNumber)));
}

void TForm1::applyPalette(TPalette palette) {
    const ::Palette& to = Palette_Of(palette);
    if (palette == ColourPalette)
        return;
    ColourPalette = palette;
    for (int k = 0; k < kMaxInkCount; ++k)
        SetInkColour(k, Palette_Colour_For(to, inkAt(k)));
    showModeInks();
    updateCaption();
    // CPC+ inks are exported as the ASIC's palette file, CPC ones as OCP's.
    actionExportPalette->setText(palette == TPalette::Plus ? QStringLiteral("&Palette (.kit)…")
                                                           : QStringLiteral("&Palette (.pal)…"));
}

void TForm1::SetPalette(TPalette palette) {
    if (palette == ColourPalette)
        return;
    StepScope step(*this, std::string(Palette_Of(palette).title) + " colours");
    applyPalette(palette);
    render();
}

void TForm1::PlusColoursClick(TObject*) {
    SetPalette(ColourPalette == TPalette::Plus ? TPalette::Cpc : TPalette::Plus);
}
