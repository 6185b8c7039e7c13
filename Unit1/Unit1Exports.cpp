// Exports for the CPC: disc image, screen file, palette and sprite cells.
// Menu commands handled here:
//   File > Export for CPC > Disc image (.dsk)…: ExportDiscClick
//   File > Export for CPC > Palette (.pal, or .kit in CPC+ colours)…: ExportPaletteClick
//   File > Export for CPC > Screen with AMSDOS header (.scr)…: ExportScreenClick
//   File > Export for CPC > Sprites and tiles (asm, .h, bin)…: ExportSpritesClick

#include "Unit1.h"

#include <memory>
#include <string>
#include <vector>

#include "AmsdosHeader.h"
#include "CpcExport.h"
#include "Engine.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "OcpPalette.h"
#include "PlusExport.h"
#include "PlusKit.h"
#include "SpriteExportDialog.h"
#include "SysUtils.h"
#include "Unit1Steps.h"

bool TForm1::runExportDialog(TSaveDialog& dialog, const std::string& title, const std::string& filter,
                             const std::string& ending) {
    dialog.SetTitle(title);
    dialog.SetFilter(filter);
    dialog.SetDefaultExt(ending);
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
    suggestName(dialog, ending);
    return dialog.Execute();
}

// The mode's size, and where to get it: the fit.
bool TForm1::resultFitsScreen(const std::string& outputNeeds) {
    FlushRender();
    const TPicture& result = Image2->GetPicture();
    const ScreenMode& mode = Mode();
    if (Fits_Mode_Screen(result, mode))
        return true;
    if (result.GetWidth() == 0 || result.GetHeight() == 0)
        ShowMessage(kNothingToSaveMessage, TMessageKind::Warning);
    else
        ShowMessage(Wrong_Size_Message("The picture", result.GetWidth(), result.GetHeight(),
                                       standardScreen() ? outputNeeds : Screen_Needs(mode, Screen()), mode.width,
                                       mode.height, "use Picture > Fit to CPC screen"),
                    TMessageKind::Warning);
    return false;
}

// The size is checked before the dialog: no name is asked for a file that
// cannot be made. The classic dither in mode 1 packs its pixels as the
// design's screen file does (by level); every other mode and dither by exact
// colour, and the loader sets the mode.
void TForm1::ExportDiscClick(TObject*) {
    if (!resultFitsScreen("a disc image needs") ||
        !runExportDialog(ExportDiscDialog, "Export disc image", "Disc image (*.dsk)|*.dsk", "dsk"))
        return;
    const std::string fileName = ExportDiscDialog.GetFileName();
    const std::string name = Amsdos_Name_Of_Path(fileName);
    if (ColourPalette == TPalette::Plus)
        Save_Plus_Picture_Disc(Image2->GetPicture(), ModeInks(), Mode(), Screen(), name, fileName);
    else if (classicPath())
        Save_Picture_Disc(Image2->GetPicture(), Inks, name, fileName);
    else
        Save_Picture_Disc(Image2->GetPicture(), ModeInks(), Mode(), Screen(), name, fileName);
    reportWritten(fileName);
}

void TForm1::ExportScreenClick(TObject*) {
    if (!resultFitsScreen("a screen file needs") || !runExportDialog(ExportScreenDialog, "Export screen with AMSDOS header",
                                                "Screen with AMSDOS header (*.scr)|*.scr", "scr"))
        return;
    const std::string fileName = ExportScreenDialog.GetFileName();
    const std::string name = Amsdos_Name_Of_Path(fileName);
    const std::vector<std::uint8_t> bytes = classicPath()
                                                ? Screen_File_With_Header(Image2->GetPicture(), Inks, name)
                                                : Screen_File_With_Header(Image2->GetPicture(), ModeInks(), Mode(),
                                                                          Screen(), name);
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    reportWritten(fileName);
}

// The palette holds only the inks and the mode: it needs no picture. CPC+
// inks go to the ASIC's palette file, which a 6128 Plus loads at &6400.
void TForm1::ExportPaletteClick(TObject*) {
    const bool plus = ColourPalette == TPalette::Plus;
    if (!runExportDialog(ExportPaletteDialog, "Export palette",
                         plus ? "CPC+ palette (*.kit)|*.kit" : "OCP Art Studio palette (*.pal)|*.pal",
                         plus ? "kit" : "pal"))
        return;
    const std::string fileName = ExportPaletteDialog.GetFileName();
    const std::string name = Amsdos_Name_Of_Path(fileName);
    const std::vector<std::uint8_t> bytes = plus          ? Kit_File_With_Header(ModeInks(), Mode(), name)
                                            : classicPath() ? Palette_File_With_Header(Inks, name)
                                                            : Palette_File_With_Header(ModeInks(), Mode(), name);
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    reportWritten(fileName);
}

TSpriteExportDialog* TForm1::SpriteExportWindow() {
    if (!mSpriteExport)
        mSpriteExport = std::make_unique<TSpriteExportDialog>();
    return mSpriteExport.get();
}

void TForm1::ExportSpritesClick(TObject*) {
    FlushRender();
    const TPicture& result = Image2->GetPicture();
    if (result.GetWidth() == 0 || result.GetHeight() == 0) {
        ShowMessage(kNothingToSaveMessage, TMessageKind::Warning);
        return;
    }
    if (SpriteExportWindow()->Execute(result, ModeInks(), Mode(), mSettings))
        mHistory.MarkSaved();
}
