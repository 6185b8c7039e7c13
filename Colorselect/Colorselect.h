#pragma once

#include <array>

#include "Controls.h"
#include "CpcPalette.h"
#include "Events.h"
#include "Forms.h"
#include "ui_Colorselect.h"

// The colour selection dialog: the 27 CPC hardware colours as swatches. The
// caller shows it modally and then reads the result text (Label3's caption:
// empty, or the chosen colour number in decimal) and the preview colour
// (Shape2's fill). Nothing is reset between showings unless the caller opens
// it on an ink (OpenOnInk). The swatch chosen last is marked; the arrow keys
// move the mark over the three blocks of 3 x 3 (nine columns, three rows),
// Space chooses the swatch with the focus, and "Ok" is the default button,
// so Enter presses it.
//
// For CPC+ colours the dialog shows its Plus form instead of the swatches: a
// large swatch of the colour with its three hexadecimal digits under it, and
// a slider and a number box (0..15) for each of red, green and blue, which
// follow each other. Tab goes slider, box, slider... then the buttons; the
// arrow keys move a slider by one level, the number boxes take a typed level;
// Enter is "Ok" and Escape "Cancel". The result text is then the colour's
// three digits ("F80").
class TF_ColorSelect : public TForm, public Ui::TF_ColorSelect {
    Q_OBJECT
  public:
    explicit TF_ColorSelect(QWidget* parent = nullptr);

    // The 27 swatches, Panel1..Panel27, by colour number.
    TPanel* Swatch(int colourNumber) const;

    // Prepares the next showing for ink k, whose colour is colourNumber: the
    // title names the ink, and that colour is chosen as if its swatch had
    // been clicked, so "Ok" at once keeps the ink as it is.
    // With plus, colour is a CPC+ colour index (0..4095) and the Plus form
    // shows; with cpc, the swatches.
    void OpenOnInk(int k, int colour, TPalette palette = TPalette::Cpc);
    // Chooses a colour as a click on its swatch does.
    void SelectColour(int colourNumber);
    // Chooses a CPC+ colour index (0..4095) on the Plus form, as the sliders do.
    void SelectPlusColour(int colour);
    // The palette the dialog shows now.
    TPalette GetPalette() const { return mPalette; }

    void PanelClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void FormClose(TObject* Sender);
    void FormKeyDown(TObject* Sender);
    // A level of the Plus form changed: its other control follows, and the colour.
    void LevelChange(TObject* Sender);

  private:
    void bindEvents();
    // The colour number of the marked swatch, or -1 when none is.
    int markedColour() const;
    // Shows the swatches (cpc) or the Plus form (plus).
    void showForm(TPalette palette);
    // The Plus form's controls, red first.
    std::array<TTrackBar*, 3> sliders() const { return {RedSlider, GreenSlider, BlueSlider}; }
    std::array<TCSpinEdit*, 3> boxes() const { return {RedBox, GreenBox, BlueBox}; }

    TPalette mPalette = TPalette::Cpc;
};

extern TF_ColorSelect* F_ColorSelect;
