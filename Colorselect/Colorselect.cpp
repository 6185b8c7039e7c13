#include "Colorselect.h"

#include <algorithm>
#include <initializer_list>

#include <QSignalBlocker>

#include "SysUtils.h"

TF_ColorSelect* F_ColorSelect = nullptr;

namespace {
constexpr int kOuterWidth = 327;
constexpr int kOuterHeight = 204;

// The swatches as the dialog lays them out: nine columns (three blocks, one
// a green intensity, of three blue intensities), three rows (red).
constexpr int kGridColumns = 9;
constexpr int kGridRows = 3;

int columnOf(int colourNumber) {
    return colourNumber / 9 * 3 + colourNumber % 3;
}
int rowOf(int colourNumber) {
    return colourNumber / 3 % 3;
}
int colourAt(int column, int row) {
    return column / 3 * 9 + row * 3 + column % 3;
}
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
    Bind(this, &TForm::OnKeyDown, this, &TF_ColorSelect::FormKeyDown);
    for (int channel = 0; channel < 3; ++channel) {
        Bind(sliders()[static_cast<std::size_t>(channel)], &TTrackBar::OnChange, this, &TF_ColorSelect::LevelChange);
        Bind(boxes()[static_cast<std::size_t>(channel)], &TCSpinEdit::OnChange, this, &TF_ColorSelect::LevelChange);
    }
}

TPanel* TF_ColorSelect::Swatch(int colourNumber) const {
    TPanel* const swatches[kColourCount] = {
        Panel1,  Panel2,  Panel3,  Panel4,  Panel5,  Panel6,  Panel7,  Panel8,  Panel9,
        Panel10, Panel11, Panel12, Panel13, Panel14, Panel15, Panel16, Panel17, Panel18,
        Panel19, Panel20, Panel21, Panel22, Panel23, Panel24, Panel25, Panel26, Panel27,
    };
    return colourNumber >= 0 && colourNumber < kColourCount ? swatches[colourNumber] : nullptr;
}

void TF_ColorSelect::OpenOnInk(int k, int colour, TPalette palette) {
    SetCaption("Ink #" + IntToStr(k));
    showForm(palette);
    if (palette == TPalette::Cpc)
        SelectColour(colour);
    else
        SelectPlusColour(colour);
}

void TF_ColorSelect::showForm(TPalette palette) {
    mPalette = palette;
    const bool plus = palette != TPalette::Cpc;
    for (int n = 0; n < kColourCount; ++n)
        Swatch(n)->SetVisible(!plus);
    for (QWidget* part : std::initializer_list<QWidget*>{Shape2, Label1, Label2})
        part->setVisible(!plus);
    PlusForm->setVisible(plus);
}

void TF_ColorSelect::SelectPlusColour(int colour) {
    const Palette& plus = Palette_Of(TPalette::Plus);
    const Ink ink = Palette_Ink(plus, colour); // checks the index
    const TColor shown{ink.r, ink.g, ink.b};
    Shape2->Brush->SetColor(shown);
    PlusSwatch->Brush->SetColor(shown);
    Label2->SetText(Palette_Colour_Text(plus, colour));
    PlusText->SetText(Palette_Colour_Text(plus, colour));
    for (int channel = 0; channel < 3; ++channel) {
        const int level = colour >> (4 * (2 - channel)) & 15;
        const auto i = static_cast<std::size_t>(channel);
        // Each control is set without its handler, which would set the colour again.
        const QSignalBlocker slider(sliders()[i]), box(boxes()[i]);
        sliders()[i]->SetPosition(level);
        boxes()[i]->SetValue(level);
    }
    // The keys start from red's slider, unless a level control has the focus.
    bool levelFocused = false;
    for (int channel = 0; channel < 3; ++channel)
        levelFocused = levelFocused || sliders()[static_cast<std::size_t>(channel)]->hasFocus() ||
                       boxes()[static_cast<std::size_t>(channel)]->hasFocus();
    if (!levelFocused)
        RedSlider->setFocus();
}

void TF_ColorSelect::LevelChange(TObject* Sender) {
    int colour = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const auto i = static_cast<std::size_t>(channel);
        const int level = Sender == boxes()[i] ? boxes()[i]->GetValue() : sliders()[i]->GetPosition();
        colour = colour << 4 | level;
    }
    SelectPlusColour(colour);
}

void TF_ColorSelect::SelectColour(int colourNumber) {
    TPanel* swatch = Swatch(colourNumber);
    if (!swatch)
        throw Exception("There is no colour " + IntToStr(colourNumber) + ": the CPC's colours are 0 to 26");
    Shape2->Brush->SetColor(swatch->GetColor());
    Label2->SetText(IntToStr(colourNumber));
    for (int n = 0; n < kColourCount; ++n)
        Swatch(n)->SetMarked(n == colourNumber);
    // The arrow keys start from the marked swatch.
    swatch->setFocus();
}

int TF_ColorSelect::markedColour() const {
    for (int n = 0; n < kColourCount; ++n)
        if (Swatch(n)->GetMarked())
            return n;
    return -1;
}

void TF_ColorSelect::PanelClick(TObject* Sender) {
    if (auto* swatch = qobject_cast<TPanel*>(Sender))
        SelectColour(swatch->GetTag());
}

// The arrow keys move the mark one swatch and stop at the edges; with no
// swatch marked yet, they mark colour 0.
void TF_ColorSelect::FormKeyDown(TObject*) {
    if (mPalette != TPalette::Cpc)
        return; // the Plus form's controls take their own keys
    int dx = 0, dy = 0;
    switch (GetKeyDown()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: return;
    }
    const int marked = markedColour();
    if (marked < 0) {
        SelectColour(0);
        return;
    }
    const int column = std::clamp(columnOf(marked) + dx, 0, kGridColumns - 1);
    const int row = std::clamp(rowOf(marked) + dy, 0, kGridRows - 1);
    SelectColour(colourAt(column, row));
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
