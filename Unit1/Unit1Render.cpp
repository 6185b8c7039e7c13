// Rendering the result: the map, the dither run over the rows in view first,
// the sliders and their number boxes, the palette stretch.
// Menu commands handled here:
//   Picture > Stretch palette: Panel2Click

#include "Unit1.h"

#include <memory>
#include <string>
#include <utility>

#include <QSignalBlocker>

#include "Engine.h"
#include "ModeInkChoice.h"
#include "Unit1Steps.h"

void TForm1::render() {
    if (loaded())
        mRenderer.Request();
}

void TForm1::FlushRender() {
    mRenderer.Flush();
}

// The map depends only on the source: it is dropped when the source changes
// and made again the first time a render needs it.
void TForm1::updateMap() {
    TPicture& map = Image7->GetPicture();
    if (TrackBar1->GetPosition() == 0)
        map = TPicture();
    else if (map.GetWidth() != Image1->GetPicture().GetWidth() || map.GetHeight() != Image1->GetPicture().GetHeight())
        Local_Contrast_Map(Image1->GetPicture(), map);
}

void TForm1::prepareSource() {
    settleSource();
    updateMap();
}

int TForm1::startRender() {
    mRun.reset();
    if (!loaded())
        return 0;
    prepareSource();
    mRun = Start_Mode_Dither(ScreenChoice.dither, Image1->GetPicture(), Image2->GetPicture(),
                             Image7->GetPicture(), ModeInks(), TrackBar3->GetPosition(),
                             TrackBar4->GetPosition(), TrackBar1->GetPosition(), Mode());
    return Image2->GetPicture().GetHeight();
}

void TForm1::renderRows(int first, int last) {
    mRun->Rows(Image1->GetPicture(), Image2->GetPicture(), Image7->GetPicture(), first, last);
}

std::pair<int, int> TForm1::rowsInView() const {
    if (greenShown())
        return {0, Image2->GetPicture().GetHeight()};
    if (!Image2->ShowsOwnPicture())
        return {0, 0};
    const QRect shown = Image2->VisiblePictureRect();
    return {shown.top(), shown.top() + shown.height()};
}

void TForm1::showRender() {
    updatePreview();
    Image2->Refresh();
}

// The classic dither in mode 1 is the design's CPC_Mode1_Dither, exactly.
void TForm1::convert(TPicture& source, TPicture& result, const TPicture& map) {
    Mode_Dither(ScreenChoice.dither, source, result, map, ModeInks(), TrackBar3->GetPosition(),
                TrackBar4->GetPosition(), TrackBar1->GetPosition(), Mode());
}

void TForm1::sourceChanged() {
    Image7->GetPicture() = TPicture();
    render();
}

// Stretch toggle. Turning it on keeps the unstretched source in
// StretchBackup; turning it off puts that back, byte for byte. A channel
// with one value throughout is left as it is by the stretch, and the toggle
// still counts as on.
void TForm1::Panel2Click(TObject*) {
    if (!loaded())
        return;
    StepScope step(*this, "Stretch palette");
    TBusyCursor busy(this);
    settleSource();
    TPicture& source = Image1->GetPicture();
    if (!stretchOn()) {
        auto backup = std::make_unique<TPicture>();
        Copy_Picture(*backup, source);
        StretchBackup = std::move(backup);
        Stretch_Palette(&source);
        Panel2->SetBevelInner(TPanel::bvLowered);
        Panel2->SetBevelOuter(TPanel::bvLowered);
    } else {
        source = std::move(*StretchBackup);
        Panel2->SetBevelInner(TPanel::bvRaised);
        Panel2->SetBevelOuter(TPanel::bvRaised);
        StretchBackup.reset();
    }
    sourceChanged();
}

void TForm1::TrackBar1Change(TObject*) {
    StepScope step(*this, "Local contrast", "local");
    syncNumberBoxes();
    render();
}

// Brightness and contrast share this handler; neither changes the map.
void TForm1::TrackBar3Change(TObject* Sender) {
    const bool contrast = Sender == TrackBar4;
    StepScope step(*this, contrast ? "Contrast" : "Brightness", contrast ? "contrast" : "brightness");
    syncNumberBoxes();
    render();
}

void TForm1::syncNumberBoxes() {
    const std::pair<TCSpinEdit*, TTrackBar*> pairs[] = {
        {EditLocal, TrackBar1}, {EditBrightness, TrackBar3}, {EditContrast, TrackBar4}};
    for (const auto& [box, slider] : pairs) {
        const QSignalBlocker quiet(box);
        box->SetValue(slider->GetPosition());
    }
}

// A typed number is a step of its own, not part of the slider's last run.
void TForm1::EditModifierChange(TObject* Sender) {
    TTrackBar* const slider = Sender == EditLocal ? TrackBar1 : Sender == EditBrightness ? TrackBar3 : TrackBar4;
    mHistory.EndRun();
    slider->SetPosition(static_cast<TCSpinEdit*>(Sender)->GetValue());
    mHistory.EndRun();
}

// The box's label names the number ("Brightness") without its mnemonic.
void TForm1::EditModifierClamped(TObject* Sender) {
    auto* box = static_cast<TCSpinEdit*>(Sender);
    const TLabel* label = Sender == EditLocal ? Label10 : Sender == EditBrightness ? Label11 : Label12;
    const std::string name = label->text().remove(QLatin1Char('&')).toStdString();
    ShowStatus(name + " takes numbers from " + box->RangeText() + ": the nearest was kept.");
}
