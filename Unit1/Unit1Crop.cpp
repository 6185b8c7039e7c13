// Fit to the screen and the crop window: the fit menu, moving the crop window
// by keys or by dragging.
// Menu commands handled here:
//   Picture > Fit to CPC screen > Crop: FitCropClick
//   Picture > Fit to CPC screen > Off: FitOffClick
//   Picture > Fit to CPC screen > Pad: FitPadClick
//   Picture > Fit to CPC screen > Stretch: FitStretchClick
//   Picture > Move crop window > Down: CropDownClick
//   Picture > Move crop window > Left: CropLeftClick
//   Picture > Move crop window > Right: CropRightClick
//   Picture > Move crop window > Up: CropUpClick

#include "Unit1.h"

#include <algorithm>
#include <memory>
#include <utility>

#include <QPainter>
#include <QPainterPath>

#include "Engine.h"
#include "ModeStart.h"
#include "Unit1Steps.h"

std::unique_ptr<TPicture> TForm1::fitLoaded(TPicture& source, TCropPosition cropAt) const {
    if (FitMode == TFitMode::Off)
        return nullptr;
    TPicture fitted;
    fitToMode(source, fitted, FitMode, Mode(), cropAt);
    auto asLoaded = std::make_unique<TPicture>(std::move(source));
    source = std::move(fitted);
    return asLoaded;
}

// The fitted source is built beside the current one and takes its place
// only once it exists; its map and result follow through the renderer.
void TForm1::SetFitMode(TFitMode mode) {
    Chosen.fit = mode;
    applyFitMode(mode);
}

void TForm1::applyFitMode(TFitMode mode) {
    static const char* const kNames[] = {"Fit off", "Fit crop", "Fit pad", "Fit stretch"};
    StepScope step(*this, kNames[static_cast<int>(mode)]);
    if (!loaded()) {
        FitMode = mode;
        return;
    }
    if (mode == TFitMode::Off)
        loadFullSize();
    if (stretchOn())
        Panel2Click(nullptr);
    TPicture& asLoaded = LoadedPicture ? *LoadedPicture : Image1->GetPicture();
    TPicture fitted;
    if (mode != TFitMode::Off)
        fitToMode(asLoaded, fitted, mode, Mode(), CropAt);
    if (mode == TFitMode::Off) {
        if (LoadedPicture)
            Image1->GetPicture() = std::move(*LoadedPicture);
        LoadedPicture.reset();
    } else {
        if (!LoadedPicture)
            LoadedPicture = std::make_unique<TPicture>(std::move(Image1->GetPicture()));
        Image1->GetPicture() = std::move(fitted);
    }
    FitMode = mode;
    mRefitPending = false;
    sourceChanged();
    Image1->Refresh();
    CSpinEdit1Change(CSpinEdit1);
}

int TForm1::fitDecodeDivisor(int width, int height) const {
    if (FitMode == TFitMode::Off)
        return 1;
    int divisor = 8;
    for (const ScreenMode& mode : kScreenModes)
        for (const TFitMode fit : {TFitMode::Crop, TFitMode::Pad, TFitMode::Stretch})
            divisor = std::min(divisor, Fit_Decode_Divisor(width, height, fit, mode));
    return divisor;
}

void TForm1::FitOffClick(TObject*) {
    SetFitMode(TFitMode::Off);
}

void TForm1::FitCropClick(TObject*) {
    SetFitMode(TFitMode::Crop);
}

void TForm1::FitPadClick(TObject*) {
    SetFitMode(TFitMode::Pad);
}

void TForm1::FitStretchClick(TObject*) {
    SetFitMode(TFitMode::Stretch);
}

// A run of crop moves (keys held, a drag let go) fits the picture once, for
// the last position, when the render it asks for runs.
void TForm1::refit() {
    if (!loaded() || !LoadedPicture || FitMode == TFitMode::Off)
        return;
    mRefitPending = true;
    render();
}

// The fitted picture is built beside the source and takes its place once it
// exists; unstretched, it becomes the stretch's backup.
void TForm1::settleSource() {
    if (!mRefitPending)
        return;
    if (!loaded() || !LoadedPicture || FitMode == TFitMode::Off) {
        mRefitPending = false;
        return;
    }
    TBusyCursor busy(this);
    TPicture fitted;
    fitToMode(*LoadedPicture, fitted, FitMode, Mode(), CropAt);
    std::unique_ptr<TPicture> backup;
    if (stretchOn()) {
        backup = std::make_unique<TPicture>();
        Copy_Picture(*backup, fitted);
        Stretch_Palette(&fitted);
    }
    Image1->GetPicture() = std::move(fitted);
    if (backup)
        StretchBackup = std::move(backup);
    Image7->GetPicture() = TPicture();
    mRefitPending = false;
}

void TForm1::SetCropPosition(TCropPosition at) {
    CropAt = {std::clamp(at.x, 0.0, 1.0), std::clamp(at.y, 0.0, 1.0)};
    if (FitMode == TFitMode::Crop)
        refit();
}

// A run of key presses is one step. Only a direction with a spare part moves.
void TForm1::moveCropBy(double dx, double dy) {
    if (FitMode != TFitMode::Crop || !LoadedPicture)
        return;
    constexpr double kStep = 0.1;
    const TPicture& whole = *LoadedPicture;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, Mode(), CropAt);
    const bool acrossSpare = crop.sourceWidth < whole.GetWidth(), downSpare = crop.sourceHeight < whole.GetHeight();
    if ((dx != 0 && !acrossSpare) || (dy != 0 && !downSpare))
        return;
    StepScope step(*this, "Move crop window", "crop keys");
    SetCropPosition({CropAt.x + dx * kStep, CropAt.y + dy * kStep});
}

void TForm1::CropLeftClick(TObject*) { moveCropBy(-1, 0); }

void TForm1::CropRightClick(TObject*) { moveCropBy(1, 0); }

void TForm1::CropUpClick(TObject*) { moveCropBy(0, -1); }

void TForm1::CropDownClick(TObject*) { moveCropBy(0, 1); }

void TForm1::Image2MouseDown(TObject*) {
    if (FitMode != TFitMode::Crop || !loaded() || !LoadedPicture)
        return;
    TBusyCursor busy(this);
    auto drag = std::make_unique<CropDrag>();
    drag->start = Image2->mapToGlobal(Image2->GetMousePoint());
    drag->startAt = CropAt;
    drag->picture = LoadedPicture.get();
    drag->mode = ScreenChoice.mode;
    fitToMode(*LoadedPicture, drag->whole, TFitMode::Pad, Mode(), {});
    drag->pad = Fit_Placement(LoadedPicture->GetWidth(), LoadedPicture->GetHeight(), TFitMode::Pad, Mode());
    mCropDrag = std::move(drag);
    drawCropPreview();
    updatePreview();
}

// The crop window follows the pointer over the whole picture, which shows at
// the same scale as the screen (Pad's), so a pixel of pointer movement is a
// pixel of the picture on the screen. The view's pixels per screen pixel
// (the zoom, the mode's pixel shape) come from the view's size. Only the
// preview is drawn while the pointer moves; the picture is fitted when the
// drag ends.
void TForm1::Image2MouseMove(TObject*) {
    if (!cropDragGoesOn())
        return;
    const QPoint moved = Image2->mapToGlobal(Image2->GetMousePoint()) - mCropDrag->start;
    const TPicture& whole = *LoadedPicture;
    const TPicture& screen = mCropDrag->whole;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, Mode(), CropAt);
    const double spareX = whole.GetWidth() - crop.sourceWidth, spareY = whole.GetHeight() - crop.sourceHeight;
    const double viewPerScreenX = std::max(1, Image2->width()) / static_cast<double>(screen.GetWidth());
    const double viewPerScreenY = std::max(1, Image2->height()) / static_cast<double>(screen.GetHeight());
    const double sourcePerScreenX = static_cast<double>(whole.GetWidth()) / mCropDrag->pad.width;
    const double sourcePerScreenY = static_cast<double>(whole.GetHeight()) / mCropDrag->pad.height;
    TCropPosition at = mCropDrag->startAt;
    if (spareX > 0)
        at.x += moved.x() / viewPerScreenX * sourcePerScreenX / spareX;
    if (spareY > 0)
        at.y += moved.y() / viewPerScreenY * sourcePerScreenY / spareY;
    CropAt = {std::clamp(at.x, 0.0, 1.0), std::clamp(at.y, 0.0, 1.0)};
    drawCropPreview();
    Image2->update();
}

void TForm1::Image2MouseUp(TObject*) {
    if (!cropDragGoesOn())
        return;
    const TCropPosition startAt = mCropDrag->startAt;
    endCropDrag();
    if (CropAt == startAt)
        return;
    mHistory.EndRun();
    StepScope step(*this, "Move crop window");
    SetCropPosition(CropAt);
}

// A key pressed while dragging (Undo, a fit, a picture loaded) may have
// taken away the picture or the crop the drag began with: the drag ends.
bool TForm1::cropDragGoesOn() {
    if (!mCropDrag)
        return false;
    if (FitMode == TFitMode::Crop && LoadedPicture.get() == mCropDrag->picture &&
        ScreenChoice.mode == mCropDrag->mode)
        return true;
    endCropDrag();
    return false;
}

// The view shows what it showed before the drag.
void TForm1::endCropDrag() {
    mCropDrag.reset();
    ImageCropPreview->GetPicture() = TPicture();
    updatePreview();
}

// The whole picture as Pad shows it, the part outside the crop window
// darkened, the window outlined.
void TForm1::drawCropPreview() {
    const TPicture& whole = *LoadedPicture;
    const TFitPlacement pad = mCropDrag->pad;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, Mode(), CropAt);
    const QRectF window(pad.left + crop.sourceX * pad.width / whole.GetWidth(),
                        pad.top + crop.sourceY * pad.height / whole.GetHeight(),
                        crop.sourceWidth * pad.width / whole.GetWidth(),
                        crop.sourceHeight * pad.height / whole.GetHeight());
    QImage preview = mCropDrag->whole.Image().convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&preview);
        QPainterPath outside;
        outside.addRect(QRectF(preview.rect()));
        outside.addRect(window);
        painter.fillPath(outside, QColor(0, 0, 0, 150));
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(window.adjusted(0, 0, -1, -1));
    }
    ImageCropPreview->GetPicture().Assign(preview);
}
