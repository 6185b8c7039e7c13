// Undo and redo: the window's state as a step, and the menu items that name the steps.
// Menu commands handled here:
//   Edit > Redo: RedoClick
//   Edit > Undo: UndoClick

#include "Unit1.h"

#include <QSignalBlocker>

TWorkState TForm1::workState() const {
    TWorkState state;
    state.screen = ScreenChoice;
    state.palette = ColourPalette;
    state.inks = Inks;
    state.upperInks = UpperInks;
    for (int k = 0; k < kMaxInkCount; ++k) {
        state.inkNumbers[static_cast<std::size_t>(k)] = Palette->GetNumberText(k);
        state.swatches[static_cast<std::size_t>(k)] = Palette->GetSwatchColour(k);
    }
    state.keepInk = mKeepInk;
    state.brightness = TrackBar3->GetPosition();
    state.contrast = TrackBar4->GetPosition();
    state.local = TrackBar1->GetPosition();
    state.stretch = stretchOn();
    state.fit = FitMode;
    state.cropAt = CropAt;
    return state;
}

// Puts every setting back at once: the inks and sliders first, without
// their handlers, so that the screen choice, the fit and the stretch, each
// changed only when it differs, refit and render with them; what is left
// renders once, through the renderer.
void TForm1::applyWorkState(const TWorkState& state) {
    ++mStepDepth; // nothing done here is a step of its own
    struct Unwind {
        int& depth;
        ~Unwind() { --depth; }
    } unwind{mStepDepth};
    TBusyCursor busy(this);
    // The palette first: switching it would change the inks set next.
    if (state.palette != ColourPalette)
        applyPalette(state.palette);
    Inks = state.inks;
    UpperInks = state.upperInks;
    for (int k = 0; k < kMaxInkCount; ++k)
        Palette->SetInk(k, state.swatches[static_cast<std::size_t>(k)],
                        state.inkNumbers[static_cast<std::size_t>(k)]);
    mKeepInk = state.keepInk;
    {
        const QSignalBlocker local(TrackBar1), brightness(TrackBar3), contrast(TrackBar4);
        TrackBar1->SetPosition(state.local);
        TrackBar3->SetPosition(state.brightness);
        TrackBar4->SetPosition(state.contrast);
    }
    syncNumberBoxes();
    const bool cropMoved = state.cropAt != CropAt;
    const bool modeChanged = state.screen.mode != ScreenChoice.mode || state.screen.screen != ScreenChoice.screen;
    CropAt = state.cropAt;
    // A new mode fits the picture again, at the crop position just set.
    // A new screen choice renders at once; anything else asks for a render.
    if (state.screen != ScreenChoice)
        SetScreenChoice(state.screen);
    else
        render();
    if (state.fit != FitMode)
        applyFitMode(state.fit);
    else if (cropMoved && !modeChanged)
        refit();
    if (loaded() && state.stretch != stretchOn())
        Panel2Click(this);
}

void TForm1::updateUndoItems() {
    actionUndo->setEnabled(mHistory.CanUndo());
    actionUndo->setText(QString::fromStdString(mHistory.CanUndo() ? "&Undo " + mHistory.UndoName() : "&Undo"));
    actionRedo->setEnabled(mHistory.CanRedo());
    actionRedo->setText(QString::fromStdString(mHistory.CanRedo() ? "&Redo " + mHistory.RedoName() : "&Redo"));
}

void TForm1::UndoClick(TObject*) {
    if (!mHistory.CanUndo())
        return;
    applyWorkState(mHistory.Undo());
    updateUndoItems();
}

void TForm1::RedoClick(TObject*) {
    if (!mHistory.CanRedo())
        return;
    applyWorkState(mHistory.Redo());
    updateUndoItems();
}

void TForm1::EndStepRun(TObject*) {
    mHistory.EndRun();
}
