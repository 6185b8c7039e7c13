#pragma once

#include "Controls.h"
#include "Events.h"
#include "Forms.h"
#include "ui_Colorselect.h"

// The colour selection dialog: the 27 CPC hardware colours as swatches. The
// caller shows it modally and then reads the result text (Label3's caption:
// empty, or the chosen colour number in decimal) and the preview colour
// (Shape2's fill). Nothing is reset between showings. The swatch clicked
// last is marked; "Ok" is the default button, so Enter presses it.
class TF_ColorSelect : public TForm, public Ui::TF_ColorSelect {
    Q_OBJECT
  public:
    explicit TF_ColorSelect(QWidget* parent = nullptr);

    // The 27 swatches, Panel1..Panel27, by colour number.
    TPanel* Swatch(int colourNumber) const;

    void PanelClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void FormClose(TObject* Sender);

  private:
    void bindEvents();
};

extern TF_ColorSelect* F_ColorSelect;
