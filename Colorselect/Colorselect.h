#pragma once

#include "Controls.h"
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
class TF_ColorSelect : public TForm, public Ui::TF_ColorSelect {
    Q_OBJECT
  public:
    explicit TF_ColorSelect(QWidget* parent = nullptr);

    // The 27 swatches, Panel1..Panel27, by colour number.
    TPanel* Swatch(int colourNumber) const;

    // Prepares the next showing for ink k, whose colour is colourNumber: the
    // title names the ink, and that colour is chosen as if its swatch had
    // been clicked, so "Ok" at once keeps the ink as it is.
    void OpenOnInk(int k, int colourNumber);
    // Chooses a colour as a click on its swatch does.
    void SelectColour(int colourNumber);

    void PanelClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void FormClose(TObject* Sender);
    void FormKeyDown(TObject* Sender);

  private:
    void bindEvents();
    // The colour number of the marked swatch, or -1 when none is.
    int markedColour() const;
};

extern TF_ColorSelect* F_ColorSelect;
