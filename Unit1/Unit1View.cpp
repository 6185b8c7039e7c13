// What the view shows: zoom, the original, monitors, CPC proportions and the Compare window.
// Menu commands handled here:
//   View > CPC proportions: CpcProportionsClick
//   View > Compare…: CompareClick
//   View > Monitor > Colour monitor: MonitorColourClick
//   View > Monitor > Green monitor: MonitorGreenClick
//   View > Monitor > Plain: MonitorPlainClick
//   View > Show original: ShowOriginalClick
//   View > Zoom in: SpeedButton2Click
//   View > Zoom out: SpeedButton3Click

#include "Unit1.h"

#include <cstdlib>
#include <memory>
#include <utility>

#include "Compare.h"
#include "Engine.h"
#include "ModeStart.h"
#include "MonitorBorder.h"
#include "PixelShape.h"
#include "Unit1Steps.h"

void TForm1::Image4Click(TObject* Sender) {
    Panel2Click(Sender);
}

void TForm1::SpeedButton2Click(TObject*) {
    if (CSpinEdit1->GetValue() < CSpinEdit1->GetMaxValue())
        CSpinEdit1->SetValue(CSpinEdit1->GetValue() + 1);
}

void TForm1::SpeedButton3Click(TObject*) {
    if (CSpinEdit1->GetValue() > CSpinEdit1->GetMinValue())
        CSpinEdit1->SetValue(CSpinEdit1->GetValue() - 1);
}

// The view shows the result stretched to the source's size times the zoom;
// the result itself keeps the source's size. The point of the picture under
// the anchor (the middle of the visible part, or the pointer for a zoom by
// the wheel) stays where it is.
void TForm1::CSpinEdit1Change(TObject*) {
    const QPoint anchor = mZoomAnchor.value_or(ScrollBox1->viewport()->rect().center());
    mZoomAnchor.reset();
    const QPoint before = ScrollBox1->ContentAt(anchor) - Image2->pos();
    const QSize oldSize = Image2->size();

    const int zoom = CSpinEdit1->GetValue();
    const TPicture& source = Image1->GetPicture();
    const QSize view = View_Size(source.GetWidth(), source.GetHeight(), Mode(), CpcProportions, zoom);
    Image2->SetHeight(view.height());
    Image2->SetWidth(view.width());
    placeMonitorFrame();

    if (oldSize.isEmpty())
        return;
    const QPoint after(static_cast<int>(qint64(before.x()) * Image2->width() / oldSize.width()),
                       static_cast<int>(qint64(before.y()) * Image2->height() / oldSize.height()));
    ScrollBox1->ScrollContentTo(after + Image2->pos(), anchor);
}

void TForm1::ScrollBox1CtrlWheel(TObject* Sender) {
    const int notches = ScrollBox1->GetWheelNotches();
    for (int step = 0; step < std::abs(notches); ++step) {
        mZoomAnchor = ScrollBox1->GetWheelPoint();
        if (notches > 0)
            SpeedButton2Click(Sender);
        else
            SpeedButton3Click(Sender);
    }
    mZoomAnchor.reset();
}

// The source (stretched, if the stretch is on) takes the result's place in
// the view, at the view's zoom and scroll; nothing is rendered for it.
void TForm1::ShowOriginalClick(TObject*) {
    updatePreview();
}

TFitMode TForm1::compareFit(int mode) const {
    return FitMode != TFitMode::Off ? FitMode : Start_Fit(mode);
}

void TForm1::SetMonitor(TMonitor monitor) {
    Monitor = monitor;
    updatePreview();
}

void TForm1::CpcProportionsClick(TObject*) {
    CpcProportions = !CpcProportions;
    CSpinEdit1Change(CSpinEdit1);
    updatePreview();
}

void TForm1::MonitorPlainClick(TObject*) {
    SetMonitor(TMonitor::Plain);
}

void TForm1::MonitorColourClick(TObject*) {
    SetMonitor(TMonitor::Colour);
}

void TForm1::MonitorGreenClick(TObject*) {
    SetMonitor(TMonitor::Green);
}

// The original, when asked for, is shown as it is; the result as the
// monitor would show it. A crop drag's preview stays in view through any
// render that lands meanwhile. The result picture itself never changes here.
bool TForm1::greenShown() const {
    return Monitor == TMonitor::Green && !actionShowOriginal->isChecked() && !mCropDrag;
}

void TForm1::updatePreview() {
    const bool dragging = mCropDrag != nullptr;
    const bool original = actionShowOriginal->isChecked();
    const bool green = greenShown();
    if (green)
        Green_Monitor_Picture(Image2->GetPicture(), GreenView->GetPicture());
    else
        GreenView->GetPicture() = TPicture();
    Image2->ShowPictureOf(dragging ? ImageCropPreview : original ? Image1 : green ? GreenView : nullptr);
    LineGaps->SetRows(Image2->GetPicture().GetHeight());
    LineGaps->setVisible(Monitor != TMonitor::Plain && !original && !dragging && loaded());
    LineGaps->update();
    placeMonitorFrame();
    Image2->update();
}

// The border takes ink 0's colour, as the loader and the viewer set it. Its
// sides are in characters and pixel lines of the screen, which the view
// draws as it draws the picture's own pixels and rows.
void TForm1::placeMonitorFrame() {
    if (Monitor == TMonitor::Plain || !loaded()) {
        MonitorFrame->Remove(Image2);
        return;
    }
    const ScreenGeometry& screen = Screen();
    const ScreenMode& mode = Mode();
    const MonitorBorder border = Monitor_Border(screen);
    const int characterPixels = mode.width / screen.characterColumns;
    const int zoom = CSpinEdit1->GetValue();
    const QSize before = View_Size(border.left * characterPixels, border.top, mode, CpcProportions, zoom);
    const QSize after = View_Size(border.right * characterPixels, border.bottom, mode, CpcProportions, zoom);
    const Ink ink0 = ModeInks().front();
    const QColor colour = Monitor == TMonitor::Green ? Green_Monitor_Colour(Colour_Number_Of_Ink(ink0))
                                                     : QColor(ink0.r, ink0.g, ink0.b);
    MonitorFrame->Surround(Image2, QMargins(before.width(), before.height(), after.width(), after.height()), colour,
                           Image2->GetPicture().GetHeight());
}

TF_Compare* TForm1::CompareWindow() {
    if (!mCompare)
        mCompare = std::make_unique<TF_Compare>();
    return mCompare.get();
}

// Each mode gets its own source when a fit is on (the picture as loaded
// fitted to that mode's screen); otherwise all three convert the source. The
// choice applied, inks and screen choice together, is one step.
void TForm1::CompareClick(TObject*) {
    if (!loaded())
        return;
    settleSource();
    TCompareInput input;
    input.brightness = TrackBar3->GetPosition();
    input.contrast = TrackBar4->GetPosition();
    input.local = TrackBar1->GetPosition();
    input.palette = ColourPalette;
    std::shared_ptr<TPicture> unfitted;
    for (const ScreenMode& mode : kScreenModes) {
        auto& source = input.sources[static_cast<std::size_t>(mode.number)];
        const TFitMode fit = compareFit(mode.number);
        if (fit == TFitMode::Off && unfitted) {
            source = unfitted;
            continue;
        }
        source = std::make_shared<TPicture>();
        sourceForMode(Screen_Mode_On(mode.number, ScreenChoice.screen), fit, *source);
        if (fit == TFitMode::Off)
            unfitted = source;
    }
    const std::optional<TCompareCell> chosen = CompareWindow()->Choose(std::move(input));
    if (!chosen)
        return;
    StepScope step(*this, "Compare");
    // A cell in the other palette brings its palette with its inks.
    applyPalette(chosen->palette);
    for (std::size_t k = 0; k < chosen->inkNumbers.size(); ++k)
        SetInkColour(static_cast<int>(k), chosen->inkNumbers[k]);
    Chosen.dither.at(static_cast<std::size_t>(chosen->choice.mode)) = chosen->choice.dither;
    // The picture as the cell showed it: fitted as the comparison fitted it,
    // on the screen in use, which the choice keeps.
    if (const TFitMode fit = compareFit(chosen->choice.mode); fit != FitMode)
        applyFitMode(fit);
    TScreenChoice choice = chosen->choice;
    choice.screen = ScreenChoice.screen;
    if (choice == ScreenChoice)
        render();
    else
        SetScreenChoice(choice);
}
