// Screen modes, screens and dithers: the choice the result is converted for,
// the palette group and the title that follow it.
// Menu commands handled here:
//   Picture > Dither > (each dither): DitherClick
//   Picture > Screen mode > Mode 0, 1, 2: ScreenModeClick
//   Screen > Full screen (overscan): FullScreenClick

#include "Unit1.h"

#include <algorithm>
#include <memory>
#include <utility>

#include <QActionGroup>
#include <QRegularExpression>

#include "Engine.h"
#include "Menus.h"
#include "ModeInkChoice.h"
#include "ModeStart.h"
#include "SysUtils.h"
#include "Unit1Steps.h"

namespace {
// The tool strip's height in the design, and the room it leaves under the
// palette group when the group grows.
constexpr int kToolStripHeight = 97;
constexpr int kToolStripMargin = 8;
} // namespace

void TForm1::fitToMode(TPicture& source, TPicture& result, TFitMode fit, const ScreenMode& mode,
                       TCropPosition cropAt) {
    Fit_To_Screen(source, result, fit, mode, cropAt);
}

namespace {
// The dither's menu text with its mnemonic: the size of an ordered matrix,
// else the first letter.
QString ditherMenuText(const DitherInfo& info) {
    QString text = QString::fromUtf8(info.title);
    const qsizetype digit = text.indexOf(QRegularExpression(QStringLiteral("[0-9]")));
    return text.insert(digit >= 0 ? digit : 0, QLatin1Char('&'));
}
} // namespace

namespace {
// A mode's menu text: its pixels on the screen and its inks.
QString modeItemText(int number, TScreen screen) {
    const ScreenMode& mode = Screen_Mode_On(number, screen);
    return QStringLiteral("Mode &%1 (%2 x %3, %4 inks)").arg(mode.number).arg(mode.width).arg(mode.height).arg(mode.inkCount);
}
} // namespace

void TForm1::bindScreenMenus() {
    auto* modes = new QActionGroup(this);
    for (const ScreenMode& mode : kScreenModes) {
        QAction* item = menuScreenMode->addAction(modeItemText(mode.number, ScreenChoice.screen));
        item->setObjectName(QStringLiteral("actionMode%1").arg(mode.number));
        item->setCheckable(true);
        item->setData(mode.number);
        modes->addAction(item);
        BindCommand(item, this, &TForm1::ScreenModeClick);
        MirrorCheck(item, [this, number = mode.number] { return ScreenChoice.mode == number; });
    }
    auto* dithers = new QActionGroup(this);
    for (const DitherInfo& info : kDithers) {
        QAction* item = menuDither->addAction(ditherMenuText(info));
        item->setObjectName(QStringLiteral("actionDither_%1").arg(QString::fromUtf8(info.name)));
        item->setCheckable(true);
        item->setData(static_cast<int>(info.dither));
        dithers->addAction(item);
        BindCommand(item, this, &TForm1::DitherClick);
        MirrorCheck(item, [this, dither = info.dither] { return ScreenChoice.dither == dither; });
    }
    auto* monitors = new QActionGroup(this);
    for (QAction* item : {actionMonitorPlain, actionMonitorColour, actionMonitorGreen})
        monitors->addAction(item);
    // Items for the start's choices are checked before any menu opens.
    for (QMenu* menu : {menuScreenMode, menuDither, menuMonitor})
        for (QAction* item : menu->actions())
            item->setChecked(item->data().isValid()
                                 ? (menu == menuScreenMode ? item->data().toInt() == ScreenChoice.mode
                                                           : item->data().toInt() == static_cast<int>(ScreenChoice.dither))
                                 : item == actionMonitorPlain);
}

bool TForm1::classicPath() const {
    return ScreenChoice.mode == kDefaultScreenMode && ScreenChoice.dither == TDither::Classic && standardScreen() &&
           ColourPalette == TPalette::Cpc;
}

const ScreenMode& TForm1::Mode() const {
    return Screen_Mode_On(ScreenChoice.mode, ScreenChoice.screen);
}

const ScreenGeometry& TForm1::Screen() const {
    return Screen_Geometry(ScreenChoice.screen);
}

bool TForm1::standardScreen() const {
    return ScreenChoice.screen == TScreen::Standard;
}

void TForm1::sourceForMode(const ScreenMode& mode, TFitMode fit, TPicture& source) {
    if (fit == TFitMode::Off || !loaded()) {
        // Shared, not copied: the comparison only reads it.
        source.Assign(Image1->GetPicture().Image());
        return;
    }
    // The picture as loaded: while no fit is on, the source without its stretch.
    TPicture& asLoaded = LoadedPicture                ? *LoadedPicture
                         : stretchOn() && StretchBackup ? *StretchBackup
                                                        : Image1->GetPicture();
    fitToMode(asLoaded, source, fit, mode, CropAt);
    if (stretchOn())
        Stretch_Palette(&source);
}

// With a fit on, the new source, its map and its result are built beside the
// current ones and take their place only once all three exist, as in Load;
// the new fitted picture, unstretched, becomes the stretch's backup.
void TForm1::SetScreenChoice(const TScreenChoice& choice) {
    const ScreenMode& mode = Screen_Mode_On(choice.mode, choice.screen);
    Dither_Info(choice.dither); // raises for a dither that does not exist, as Screen_Mode does for a mode
    // A new mode or a new screen changes the screen's size.
    const bool resized = choice.mode != ScreenChoice.mode || choice.screen != ScreenChoice.screen;
    StepScope step(*this, choice.screen != ScreenChoice.screen ? "Full screen"
                          : choice.mode != ScreenChoice.mode   ? "Screen mode"
                                                               : "Dither");
    if (loaded()) {
        TBusyCursor busy(this);
        const TScreenChoice previous = ScreenChoice;
        const bool refit = FitMode != TFitMode::Off && LoadedPicture && resized;
        TPicture source, map, result;
        std::unique_ptr<TPicture> backup;
        if (refit) {
            fitToMode(*LoadedPicture, source, FitMode, mode, CropAt);
            if (stretchOn()) {
                backup = std::make_unique<TPicture>();
                Copy_Picture(*backup, source);
                Stretch_Palette(&source);
            }
            if (TrackBar1->GetPosition() != 0)
                Local_Contrast_Map(source, map);
        } else {
            prepareSource();
        }
        // A drag over the old mode's screen does not go on over the new one.
        if (resized && mCropDrag)
            endCropDrag();
        ScreenChoice = choice;
        try {
            convert(refit ? source : Image1->GetPicture(), result, refit ? map : Image7->GetPicture());
        } catch (...) {
            ScreenChoice = previous;
            throw;
        }
        if (refit) {
            Image1->GetPicture() = std::move(source);
            Image7->GetPicture() = std::move(map);
            if (backup)
                StretchBackup = std::move(backup);
            mRefitPending = false;
        }
        Image2->GetPicture() = std::move(result);
        mRenderer.Rendered();
    } else {
        ScreenChoice = choice;
    }
    showModeInks();
    updateCaption();
    CSpinEdit1Change(CSpinEdit1);
    updatePreview();
    Image2->Refresh();
}

void TForm1::ScreenModeClick(TObject* Sender) {
    if (auto* item = qobject_cast<QAction*>(Sender))
        SetScreenMode(item->data().toInt());
}

void TForm1::FullScreenClick(TObject*) {
    SetScreenChoice(TScreenChoice{ScreenChoice.mode, ScreenChoice.dither,
                                  standardScreen() ? TScreen::Overscan : TScreen::Standard});
}

void TForm1::DitherClick(TObject* Sender) {
    if (auto* item = qobject_cast<QAction*>(Sender))
        ChooseDither(static_cast<TDither>(item->data().toInt()));
}

// The fit comes first, so that the new mode's picture is fitted once it is
// chosen; both are one step.
void TForm1::SetScreenMode(int mode) {
    Screen_Mode(mode); // raises for a mode that does not exist
    StepScope step(*this, "Screen mode");
    if (const TFitMode fit = Chosen.FitFor(mode); fit != FitMode)
        applyFitMode(fit);
    TScreenChoice choice = Chosen.ChoiceFor(mode);
    choice.screen = ScreenChoice.screen;
    SetScreenChoice(choice);
}

void TForm1::ChooseDither(TDither dither) {
    Chosen.dither.at(static_cast<std::size_t>(ScreenChoice.mode)) = dither;
    SetScreenChoice(TScreenChoice{ScreenChoice.mode, dither, ScreenChoice.screen});
}

// The tool strip is as high as the design makes it, or as the palette group
// needs; the window grows and shrinks by the difference, its picture area
// staying as it was.
void TForm1::showModeInks() {
    const int count = Mode().inkCount;
    Palette->ShowInks(count, InkPalette().textDigits > 0);
    const int stripHeight = std::max(kToolStripHeight, GroupBox1->geometry().bottom() + 1 + kToolStripMargin);
    const int grow = stripHeight - Panel1->height();
    // The Set ink and Keep ink items follow the inks shown.
    for (QMenu* menu : {menuSetInk, menuKeepInk})
        for (QAction* item : menu->actions())
            item->setVisible(item->data().toInt() < count);
    if (grow == 0)
        return;
    Panel1->SetHeight(stripHeight);
    setMinimumHeight(std::max(0, minimumHeight() + grow));
    resize(width(), height() + grow);
    AlignChildren(this, rect());
}

void TForm1::updateCaption() {
    SetCaption(Window_Caption(mPictureName, ScreenChoice.mode, ScreenChoice.screen, ColourPalette));
    // The mode items give the pixels of the screen in use.
    for (QAction* item : menuScreenMode->actions())
        if (item->data().isValid())
            item->setText(modeItemText(item->data().toInt(), ScreenChoice.screen));
    // Message boxes are titled with the program and the picture open.
    Application->SetTitle(mPictureName.empty() ? "Tintora" : mPictureName + " - Tintora");
}
