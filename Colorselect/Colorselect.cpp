#include "Colorselect.h"

#include "SysUtils.h"

TF_ColorSelect* F_ColorSelect = nullptr;

namespace {
constexpr int kOuterWidth = 327;
constexpr int kOuterHeight = 204;
} // namespace

TF_ColorSelect::TF_ColorSelect(QWidget* parent) : TForm(parent) {
    setupUi(this);
    SetOuterSize(kOuterWidth, kOuterHeight);
    SetBorderStyle(TBorderStyle::bsDialog);
    SetPosition(TPosition::poMainFormCenter);
    bindEvents();
}

void TF_ColorSelect::bindEvents() {
    for (int n = 0; n < kColourCount; ++n)
        Bind(Swatch(n), &TPanel::OnClick, this, &TF_ColorSelect::PanelClick);
    Bind(Button1, &TButton::OnClick, this, &TF_ColorSelect::Button1Click);
    Bind(Button2, &TButton::OnClick, this, &TF_ColorSelect::Button2Click);
    Bind(this, &TForm::OnClose, this, &TF_ColorSelect::FormClose);
}

TPanel* TF_ColorSelect::Swatch(int colourNumber) const {
    TPanel* const swatches[kColourCount] = {
        Panel1,  Panel2,  Panel3,  Panel4,  Panel5,  Panel6,  Panel7,  Panel8,  Panel9,
        Panel10, Panel11, Panel12, Panel13, Panel14, Panel15, Panel16, Panel17, Panel18,
        Panel19, Panel20, Panel21, Panel22, Panel23, Panel24, Panel25, Panel26, Panel27,
    };
    return colourNumber >= 0 && colourNumber < kColourCount ? swatches[colourNumber] : nullptr;
}

void TF_ColorSelect::PanelClick(TObject* Sender) {
    auto* swatch = qobject_cast<TPanel*>(Sender);
    if (!swatch)
        return;
    Shape2->Brush->SetColor(swatch->GetColor());
    Label2->SetText(IntToStr(swatch->GetTag()));
    for (int n = 0; n < kColourCount; ++n)
        Swatch(n)->SetMarked(Swatch(n) == swatch);
}

void TF_ColorSelect::Button1Click(TObject*) {
    Label3->SetText("");
    SetModalResult(mrCancel);
}

void TF_ColorSelect::Button2Click(TObject*) {
    Label3->SetText(Label2->GetText());
    SetModalResult(mrOk);
}

// The window's close button and Escape act as "Cancel": whatever was clicked,
// only "Ok" hands a colour back.
void TF_ColorSelect::FormClose(TObject*) {
    if (GetModalResult() != mrOk)
        Label3->SetText("");
}
