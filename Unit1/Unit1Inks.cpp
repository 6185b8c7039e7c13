// Inks: the swatches and the colour dialog, the automatic choice with its
// progress window, kept inks, inks loaded from a palette.
// Menu commands handled here:
//   File > Load inks from palette…: LoadPaletteClick
//   Inks > Choose automatically: ChooseInksClick
//   Inks > Keep ink > Ink #N: KeepInkClick
//   Inks > Set ink > Ink #N…: SetInkClick

#include "Unit1.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "AmsdosHeader.h"
#include "Colorselect.h"
#include "FileKind.h"
#include "InkSearchJob.h"
#include "InkSearchProgress.h"
#include "ModeInkChoice.h"
#include "OcpPalette.h"
#include "PaletteInkChoice.h"
#include "SysUtils.h"
#include "Unit1Steps.h"

// The dialog opens on the ink's own colour, so "Ok" at once keeps that colour.
void TForm1::setInk(int k) {
    const InkList inks = ModeInks();
    if (k < 0 || k >= static_cast<int>(inks.size()))
        throw Exception("Ink " + IntToStr(k) + " is not an ink of mode " + IntToStr(ScreenChoice.mode));
    StepScope step(*this, "Set ink #" + IntToStr(k));
    const ::Palette& palette = InkPalette();
    F_ColorSelect->OpenOnInk(k, Nearest_Palette_Colour(palette, inks[static_cast<std::size_t>(k)]), palette.id);
    F_ColorSelect->ShowModal();
    const std::string text = F_ColorSelect->Label3->GetText();
    if (text.empty())
        return;
    SetInkColour(k, Palette_Colour_From_Text(palette, text));
    render();
}

void TForm1::Button2Click(TObject*) {
    setInk(0);
}

void TForm1::Button3Click(TObject*) {
    setInk(1);
}

void TForm1::Button4Click(TObject*) {
    setInk(2);
}

void TForm1::Button5Click(TObject*) {
    setInk(3);
}

void TForm1::PaletteInkClick(TObject*) {
    setInk(Palette->GetClickedInk());
}

// Only the mode's inks can be set; the menu shows no others.
void TForm1::SetInkClick(TObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (item && item->data().toInt() < Mode().inkCount)
        setInk(item->data().toInt());
}

// The classic dither in mode 1 keeps its own search over 2x2 cells (the
// design's inks, exactly); every other mode and dither is judged on copies
// of the source and its map by the dither in use.
void TForm1::ChooseInksClick(TObject*) {
    if (!loaded())
        return;
    StepScope step(*this, "Automatic inks");
    // The search reads the source and its map as the next render will.
    prepareSource();
    const ScreenMode& mode = Mode();
    // A kept ink is the one in use: the number labels are not reset with the
    // inks when the window is shown again.
    const InkList inks = ModeInks();
    const ::Palette& palette = InkPalette();
    std::vector<int> kept(inks.size(), kChooseInk);
    for (std::size_t k = 0; k < inks.size(); ++k)
        if (mKeepInk[k])
            kept[k] = Nearest_Palette_Colour(palette, inks[k]);
    const int a = TrackBar3->GetPosition(), b = TrackBar4->GetPosition(), c = TrackBar1->GetPosition();
    InkSearchJob::Search search;
    if (classicPath()) {
        InkNumbers keptFour{};
        std::copy(kept.begin(), kept.end(), keptFour.begin());
        search = [cells = Ink_Search_Cells_Of(Image1->GetPicture(), Image7->GetPicture(), a, b, c),
                  keptFour](const Ink_Search_Control& control, bool& cancelled) {
            const Ink_Choice choice = Choose_Inks(cells, keptFour, control);
            cancelled = choice.cancelled;
            return std::vector<int>(choice.numbers.begin(), choice.numbers.end());
        };
    } else {
        // Shared with the window, not copied: the search only reads them,
        // and a change the window makes meanwhile gets pixels of its own.
        auto source = std::make_shared<TPicture>();
        auto map = std::make_shared<TPicture>();
        source->Assign(Image1->GetPicture().Image());
        map->Assign(Image7->GetPicture().Image());
        search = [source, map, kept, dither = ScreenChoice.dither, &mode, &palette, a, b,
                  c](const Ink_Search_Control& control, bool& cancelled) {
            const Mode_Ink_Choice choice =
                Choose_Palette_Inks(palette, *source, *map, kept, dither, mode, a, b, c, control);
            cancelled = choice.cancelled;
            return choice.numbers;
        };
    }
    InkSearchJob job(std::move(search));
    waitFor(job, InkSearchProgressDelay);
    if (!job.done()) {
        TInkSearchProgress progress([&job] { return job.percent(); },
                                    [&job] { return job.done(); });
        if (progress.ShowModal() != mrOk) {
            job.cancel();
            return;
        }
    }
    const std::vector<int> colours = job.finish();
    if (!colours.empty())
        applyInkColours(colours);
}

// As if each colour had been chosen in the colour dialog: its swatch as the
// dialog's preview, its text, its ink; then the result again.
void TForm1::applyInkColours(const std::vector<int>& colours) {
    for (std::size_t k = 0; k < colours.size(); ++k)
        SetInkColour(static_cast<int>(k), colours[k]);
    render();
}

void TForm1::SetKeepInk(int k, bool keep) {
    if (k < 0 || k >= kMaxInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: the inks are 0 to 15");
    mKeepInk[static_cast<std::size_t>(k)] = keep;
}

bool TForm1::GetKeepInk(int k) const {
    return k >= 0 && k < kMaxInkCount && mKeepInk[static_cast<std::size_t>(k)];
}

// The step names the ink as the menu item does.
void TForm1::KeepInkClick(TObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item)
        return;
    const int k = item->data().toInt();
    StepScope step(*this, "Keep ink #" + IntToStr(k));
    SetKeepInk(k, !GetKeepInk(k));
}

void TForm1::LoadPaletteClick(TObject*) {
    if (PaletteDialog.Execute())
        LoadInksFromPalette(PaletteDialog.GetFileName());
}

void TForm1::LoadInksFromPalette(const std::string& fileName) {
    const TFileKind kind = FileKindOf(fileName);
    if (kind != TFileKind::Regular)
        throw Exception("Cannot load inks from \"" + fileName + "\": " +
                        (kind == TFileKind::Missing ? std::string("there is no such file") : "it is " + FileKindText(kind)));
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot load inks from \"" + fileName + "\": " + file.errorString().toStdString());
    // One byte more than the largest palette is enough to tell a file too long.
    const QByteArray data = file.read(static_cast<qint64>(kAmsdosHeaderBytes + kOcpPaletteBytes + 1));
    OcpPaletteContents palette;
    try {
        palette = Ocp_Palette_Contents(
            std::span(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())));
    } catch (const Exception& error) {
        throw Exception("Cannot load inks from \"" + fileName + "\": " + error.what());
    }
    // The palette's mode comes with its inks; the dither stays. Inks the
    // mode does not show keep their colours.
    StepScope step(*this, "Load inks from palette");
    const ScreenMode& mode = Screen_Mode(palette.mode);
    for (int k = 0; k < mode.inkCount; ++k)
        SetInkNumber(k, palette.pens[static_cast<std::size_t>(k)]);
    if (palette.mode != ScreenChoice.mode)
        SetScreenChoice(TScreenChoice{palette.mode, ScreenChoice.dither, ScreenChoice.screen});
    else
        render();
}

InkList TForm1::ModeInks() const {
    InkList inks = Ink_List_Of(Inks);
    inks.insert(inks.end(), UpperInks.begin(), UpperInks.end());
    inks.resize(static_cast<std::size_t>(Mode().inkCount));
    return inks;
}

